// Runs the board's Arduino library on the host: every call for every centre, office and
// municipality of the files the tool wrote from the agency's real list, compared with those
// files as ArduinoJson reads them whole; the heap each call needs; a bad card; and the example
// sketch, driven by its buttons.
// Usage: arduino_check REAL SCRATCH BAD_CARDS, where REAL/parcelo holds the tool's files,
// SCRATCH is an empty folder for the bad card and BAD_CARDS is bad_cards.json.
#include <M5Unified.h>
#include <Parcelo.h>
#include <SD.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

void setup();
void loop();

namespace {

using parcelo::Error;

// Counts what ArduinoJson holds, remembers the most it held, and refuses to go above `limit`.
class CountingAllocator : public ArduinoJson::Allocator {
 public:
  void* allocate(size_t size) override { return reallocate(nullptr, size); }
  void deallocate(void* block) override {
    held_ -= sizes_[block];
    sizes_.erase(block);
    free(block);
  }
  void* reallocate(void* block, size_t size) override {
    size_t old = block != nullptr ? sizes_[block] : 0;
    if (held_ - old + size > limit) return nullptr;
    void* moved = realloc(block, size);
    if (moved == nullptr) return nullptr;
    sizes_.erase(block);
    sizes_[moved] = size;
    held_ += size - old;
    if (held_ > peak_) peak_ = held_;
    return moved;
  }
  void startCall() { peak_ = held_; }
  size_t peak() const { return peak_; }

  size_t limit = SIZE_MAX;

 private:
  std::map<void*, size_t> sizes_;
  size_t held_ = 0;
  size_t peak_ = 0;
};

struct Town {
  std::string cityname, areaname, code;
};
struct Office {
  std::string code, name;
};
struct Centre {
  std::string code, name;
  std::vector<Office> offices;
};

int failures = 0;

void expect(bool ok, const std::string& what) {
  if (ok) return;
  if (++failures <= 20) printf("FAILED: %s\n", what.c_str());
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The test's own reading of a file: whole, with ArduinoJson's default heap.
JsonDocument parseWhole(const std::string& path) {
  JsonDocument doc;
  std::string text = readFile(path);
  if (deserializeJson(doc, text.data(), text.size())) doc.clear();
  return doc;
}

std::vector<Centre> expectedCentres(const std::string& folder) {
  std::vector<Centre> centres;
  JsonDocument doc = parseWhole(folder + "/centers.json");
  for (JsonPairConst member : doc.as<JsonObjectConst>()) {
    Centre centre{member.key().c_str(), member.value()["name"].as<const char*>(), {}};
    for (JsonObjectConst child : member.value()["children"].as<JsonArrayConst>()) {
      centre.offices.push_back({child["code"].as<const char*>(), child["name"].as<const char*>()});
    }
    centres.push_back(centre);
  }
  return centres;
}

std::vector<Town> expectedTowns(const std::string& path) {
  std::vector<Town> towns;
  JsonDocument doc = parseWhole(path);
  for (JsonObjectConst entry : doc.as<JsonArrayConst>()) {
    towns.push_back({entry["cityname"].as<const char*>(), entry["areaname"].as<const char*>(),
                     entry["code"].as<const char*>()});
  }
  return towns;
}

// The most heap any call of each kind needed, and on which argument.
struct Peak {
  size_t bytes;
  std::string where;
};
std::map<std::string, Peak> peaks;

template <typename Call>
Error measured(CountingAllocator& heap, const std::string& kind, const std::string& where,
               Call call) {
  heap.startCall();
  Error error = call();
  Peak& peak = peaks[kind];
  if (heap.peak() > peak.bytes) {
    peak.bytes = heap.peak();
    peak.where = where;
  }
  return error;
}

void checkRealList(const std::string& real) {
  CountingAllocator heap;
  parcelo::Files files(SD, "/parcelo", &heap);
  SD.setRoot(real);
  std::vector<Centre> centres = expectedCentres(real + "/parcelo");
  expect(!centres.empty(), "centers.json has centres");

  std::vector<Centre> seen;
  Error error = measured(heap, "centers", "", [&] {
    return files.centers([&](const parcelo::Place& place) {
      seen.push_back({place.code, place.name, {}});
      return true;
    });
  });
  expect(error == Error::Ok && seen.size() == centres.size(), "centers() lists every centre");
  for (size_t i = 0; i < seen.size() && i < centres.size(); i++) {
    expect(seen[i].code == centres[i].code && seen[i].name == centres[i].name,
           "centre " + centres[i].code);
  }

  size_t towns = 0;
  for (const Centre& centre : centres) {
    std::vector<Office> offices;
    error = measured(heap, "offices", centre.code, [&] {
      return files.offices(centre.code.c_str(), [&](const parcelo::Place& place) {
        offices.push_back({place.code, place.name});
        return true;
      });
    });
    expect(error == Error::Ok && offices.size() == centre.offices.size(),
           "offices of " + centre.code);
    for (size_t i = 0; i < offices.size() && i < centre.offices.size(); i++) {
      expect(offices[i].code == centre.offices[i].code && offices[i].name == centre.offices[i].name,
             "office " + centre.offices[i].code);
    }
    for (const Office& office : centre.offices) {
      std::vector<Town> expected = expectedTowns(real + "/parcelo/" + office.code + ".json");
      std::vector<Town> listed;
      error = measured(heap, "municipalities", office.code, [&] {
        return files.municipalities(office.code.c_str(), [&](const parcelo::Municipality& town) {
          listed.push_back({town.cityname, town.areaname, town.code});
          return true;
        });
      });
      expect(error == Error::Ok && listed.size() == expected.size() && !expected.empty(),
             "municipalities of " + office.code);
      for (size_t i = 0; i < listed.size() && i < expected.size(); i++) {
        expect(listed[i].cityname == expected[i].cityname &&
                   listed[i].areaname == expected[i].areaname && listed[i].code == expected[i].code,
               office.code + " " + expected[i].cityname);
      }
      for (const Town& town : expected) {
        std::string first;  // where a name repeats, the first entry's code
        for (const Town& other : expected) {
          if (other.cityname == town.cityname && first.empty()) first = other.code;
        }
        char code[parcelo::kCodeSize];
        error = measured(heap, "areaCode", office.code + " " + town.cityname, [&] {
          return files.areaCode(office.code.c_str(), town.cityname.c_str(), code);
        });
        expect(error == Error::Ok && first == code,
               "areaCode " + office.code + " " + town.cityname);
        towns++;
      }
    }
  }
  char code[parcelo::kCodeSize];
  error = files.areaCode("130000", "新宿区", code);
  expect(error == Error::Ok && std::string(code) == "130010", "新宿区 is in 130010");
  error = files.areaCode("130000", "no such town", code);
  expect(error == Error::Ok && code[0] == '\0', "a town the office lacks has the code \"\"");
  int visits = 0;
  files.municipalities("130000", [&](const parcelo::Municipality&) { return ++visits < 2; });
  expect(visits == 2, "a visit that returns false stops the walk");

  // The bound holds where pointers have 32 bits, as on the ESP32; 64-bit slots are twice as large.
  const size_t bound = 2048;
  printf("%zu centres, %zu municipalities; the most ArduinoJson held in one call (%zu-bit):\n",
         centres.size(), towns, sizeof(void*) * 8);
  for (const auto& peak : peaks) {
    printf("  %-15s %5zu bytes  %s\n", peak.first.c_str(), peak.second.bytes,
           peak.second.where.c_str());
    if (sizeof(void*) == 4) {
      expect(peak.second.bytes <= bound, peak.first + " needs at most " + std::to_string(bound));
    }
  }
}

Error centres(parcelo::Files& files) {
  return files.centers([](const parcelo::Place&) { return true; });
}
Error towns(parcelo::Files& files, const char* office) {
  return files.municipalities(office, [](const parcelo::Municipality&) { return true; });
}

// A text of the bad-card table, with "@300" standing for 300 bytes.
std::string expand(const char* text) {
  std::string expanded = text != nullptr ? text : "";
  size_t at = expanded.find("@300");
  return at == std::string::npos ? expanded : expanded.replace(at, 4, std::string(300, 'x'));
}

Error call(parcelo::Files& files, JsonArrayConst call) {
  std::string name = call[0].as<const char*>(), first = expand(call[1]), second = expand(call[2]);
  if (name == "centers") return centres(files);
  if (name == "offices") {
    return files.offices(first.c_str(), [](const parcelo::Place&) { return true; });
  }
  if (name == "municipalities") return towns(files, first.c_str());
  char code[parcelo::kCodeSize];
  return files.areaCode(first.c_str(), second.c_str(), code);
}

// Each row of the bad-card table that the MicroPython check shares: the files on the card
// (a text, half of the real file, a copy of it, or a folder), a call, and the error it gives.
void checkBadCard(const std::string& real, const std::string& scratch, const std::string& table) {
  JsonDocument cards = parseWhole(table);
  expect(cards.as<JsonArrayConst>().size() > 20, "the bad-card table " + table);
  int row = 0;
  for (JsonObjectConst card : cards.as<JsonArrayConst>()) {
    std::string folder = scratch + "/" + std::to_string(row++);
    mkdir(folder.c_str(), 0755);
    if (!card["files"].isNull()) mkdir((folder + "/parcelo").c_str(), 0755);
    for (JsonPairConst file : card["files"].as<JsonObjectConst>()) {
      std::string path = folder + "/parcelo/" + file.key().c_str();
      JsonVariantConst what = file.value();
      const char* from = what["copy"] | what["half"] | "";
      std::string original = readFile(real + "/parcelo/" + from);
      if (what["folder"] == true) mkdir(path.c_str(), 0755);
      if (what.is<const char*>()) writeFile(path, expand(what));
      if (what["copy"].is<const char*>()) writeFile(path, original);
      if (what["half"].is<const char*>()) writeFile(path, original.substr(0, original.size() / 2));
    }
    SD.setRoot(folder);
    CountingAllocator heap;
    parcelo::Files files(SD, "/parcelo", &heap);
    std::string error = parcelo::errorText(call(files, card["call"]));
    expect(error == card["error"].as<std::string>(), card["what"].as<std::string>() + ": " + error);
  }
  // Too little heap for one entry.
  SD.setRoot(real);
  CountingAllocator small;
  small.limit = 64;
  parcelo::Files files(SD, "/parcelo", &small);
  expect(towns(files, "130000") == Error::NoMemory, "an office file with 64 bytes of heap");
  expect(centres(files) == Error::NoMemory, "centers.json with 64 bytes of heap");
}

// The example sketch, with the buttons pressed: the second centre, its second office, its
// first municipality.
void checkSketch(const std::string& real, const std::string& scratch) {
  std::vector<Centre> centres = expectedCentres(real + "/parcelo");
  if (centres.empty()) return;
  const Centre& centre = centres[1 % centres.size()];
  const Office& office = centre.offices[1 % centre.offices.size()];
  Town town = expectedTowns(real + "/parcelo/" + office.code + ".json").at(0);
  SD.setRoot(real);
  setup();
  for (M5.presses = "CBCBB"; !M5.presses.empty();) loop();
  const std::string& screen = M5.Display.text;
  expect(screen.find(town.cityname + "\n" + town.areaname + " " + town.code + "\n") == 0,
         "the sketch shows " + town.cityname + " " + town.code + ", not:\n" + screen);
  expect(screen.find("/forecast/" + office.code + ".json\n") != std::string::npos,
         "the sketch shows the forecast of " + office.code);
  expect(screen.find("area.code == \"" + town.code + "\"") != std::string::npos,
         "the sketch names the area by its code");
  SD.setRoot(scratch);
  for (M5.presses = "B"; !M5.presses.empty();) loop();
  expect(M5.Display.text == "Error: no such file on the card\n", "the sketch shows a bad card");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: arduino_check REAL SCRATCH BAD_CARDS\n");
    return 2;
  }
  checkRealList(argv[1]);
  checkBadCard(argv[1], argv[2], argv[3]);
  checkSketch(argv[1], argv[2]);
  if (failures > 0) printf("%d failed\n", failures);
  return failures == 0 ? 0 : 1;
}
