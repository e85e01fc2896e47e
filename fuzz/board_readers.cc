// The board's readers on bytes as a card or the network gives them: the streaming JSON reader,
// the readers of Parcelo's files and of the town file, the forecast's and the warnings'. Each
// answers or returns an error; AddressSanitizer and UndefinedBehaviorSanitizer stop a read past a
// buffer, libFuzzer a crash or a hang. Built against the Arduino core by tests/board/fuzz-board.sh.

#include <Arduino.h>
#include <Parcelo.h>
#include <ParceloForecast.h>
#include <ParceloJson.h>
#include <ParceloWarning.h>
#include <string.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// The bytes as a stream that ends where they do, as a file on a card does.
class Bytes : public Stream {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  int available() override { return static_cast<int>(size_ - at_); }
  int read() override { return at_ < size_ ? data_[at_++] : -1; }
  int peek() override { return at_ < size_ ? data_[at_] : -1; }
  size_t write(uint8_t) override { return 0; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// The first code of `digits` digits that the bytes hold in quotes, so that the forecast's and
// the warnings' readers look for an area or a town the document has, and go deep.
std::string codeIn(const uint8_t* data, size_t size, size_t digits, const char* otherwise) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (size_t at = text.find('"'); at != std::string::npos && at + digits + 1 < text.size();
       at = text.find('"', at + 1)) {
    size_t n = 0;
    while (n < digits && text[at + 1 + n] >= '0' && text[at + 1 + n] <= '9') n++;
    if (n == digits && text[at + 1 + digits] == '"') return text.substr(at + 1, digits);
  }
  return otherwise;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace parcelo;
  {
    Bytes in(data, size);
    JsonReader json(in);
    if (json.skip()) json.finish();
  }
  auto places = [](const Place& place) { return strlen(place.code) < kCodeSize; };
  auto towns = [](const Municipality& town) { return strlen(town.cityname) < kNameSize; };
  {
    Bytes in(data, size);
    readCenters(in, places);
  }
  {
    Bytes in(data, size);
    readOffices(in, codeIn(data, size, 6, "010100").c_str(), places);
  }
  {
    Bytes in(data, size);
    readMunicipalities(in, towns);
  }
  {
    Bytes in(data, size);
    char code[kCodeSize];
    if (readAreaCode(in, "新宿区", code) && code[0] != '\0') abort();  // no code with an error
  }
  {
    Bytes in(data, size);
    Town town;
    readTown(in, town);
  }
  const std::string area = codeIn(data, size, 6, "130010");
  {
    Bytes in(data, size);
    Forecast forecast;
    readForecast(in, area.c_str(), forecast);
  }
  {
    Bytes in(data, size);
    Warnings warnings;
    readWarnings(in, codeIn(data, size, 7, "").c_str(), area.c_str(), warnings);
  }
  return 0;
}
