#include "Parcelo.h"

#include <stdio.h>
#include <string.h>

namespace parcelo {

namespace {

// The deepest centers.json goes: centres, a centre, its offices, an office.
constexpr uint8_t kCentersDepth = 4;

bool copyText(JsonVariantConst value, char* out, size_t size, Error& error) {
  const char* text = value.as<const char*>();
  if (!value.is<const char*>()) {
    error = Error::NotParcelo;
    return false;
  }
  size_t length = strlen(text);
  if (length >= size) {
    error = Error::TooLong;
    return false;
  }
  memcpy(out, text, length + 1);
  return true;
}

bool isSpace(int c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// The next character that is not white space, left in the file; -1 at the end.
int peekNonSpace(File& file) {
  while (isSpace(file.peek())) file.read();
  return file.peek();
}

int nextNonSpace(File& file) {
  int c = peekNonSpace(file);
  file.read();
  return c;
}

}  // namespace

const char* errorText(Error error) {
  switch (error) {
    case Error::Ok:
      return "ok";
    case Error::NoFile:
      return "no such file on the card";
    case Error::NotParcelo:
      return "not a file that Parcelo wrote";
    case Error::TooLong:
      return "a code or name too long";
    case Error::NoMemory:
      return "not enough memory";
    case Error::BadCode:
      return "not a code";
  }
  return "unknown error";
}

bool validCode(const char* code) {
  if (code == nullptr || code[0] == '\0' || strlen(code) >= kCodeSize) return false;
  return strpbrk(code, "/\\*") == nullptr;
}

Files::Files(fs::FS& fs, const char* folder, ArduinoJson::Allocator* allocator)
    : fs_(fs), folder_(folder), allocator_(allocator) {}

Error Files::areaCode(const char* office, const char* cityname, char (&code)[kCodeSize]) {
  code[0] = '\0';
  if (cityname == nullptr) return Error::BadCode;
  return municipalities(office, [&](const Municipality& municipality) {
    if (strcmp(municipality.cityname, cityname) != 0) return true;
    memcpy(code, municipality.code, sizeof code);
    return false;
  });
}

JsonDocument Files::newDocument() const {
  return allocator_ != nullptr ? JsonDocument(allocator_) : JsonDocument();
}

Error Files::open(const char* name, File& file) const {
  if (!validCode(name)) return Error::BadCode;
  char path[160];
  int length = snprintf(path, sizeof path, "%s/%s.json", folder_, name);
  if (length < 0 || static_cast<size_t>(length) >= sizeof path) return Error::TooLong;
  file = fs_.open(path, "r");
  if (!file) return Error::NoFile;
  if (file.isDirectory()) {
    file.close();
    return Error::NoFile;
  }
  return Error::Ok;
}

Error Files::loadCenters(JsonDocument& filter, JsonDocument& doc) {
  if (filter.overflowed()) return Error::NoMemory;
  File file;
  Error error = open("centers", file);
  if (error != Error::Ok) return error;
  // The filter drops a value of the wrong kind without a word: look at the first character.
  // The tool writes "null" for a list without centres.
  int first = peekNonSpace(file);
  if (first != '{' && first != 'n') error = Error::NotParcelo;
  if (error == Error::Ok) {
    error = parsed(deserializeJson(doc, file, DeserializationOption::Filter(filter),
                                   DeserializationOption::NestingLimit(kCentersDepth)));
  }
  if (error == Error::Ok) error = endOfFile(file);
  file.close();
  return error;
}

Error Files::startArray(File& file, bool& more) {
  if (nextNonSpace(file) != '[') return Error::NotParcelo;
  more = peekNonSpace(file) != ']';
  if (!more) file.read();
  return Error::Ok;
}

Error Files::nextInArray(File& file, bool& more) {
  int c = nextNonSpace(file);
  more = c == ',';
  return more || c == ']' ? Error::Ok : Error::NotParcelo;
}

Error Files::endOfFile(File& file) {
  return nextNonSpace(file) < 0 ? Error::Ok : Error::NotParcelo;
}

Error Files::parsed(DeserializationError error) {
  if (error == DeserializationError::Ok) return Error::Ok;
  return error == DeserializationError::NoMemory ? Error::NoMemory : Error::NotParcelo;
}

Error Files::readPlace(JsonPairConst member, Place& place) {
  Error error = Error::Ok;
  size_t length = member.key().size();
  if (length >= sizeof place.code) return Error::TooLong;
  memcpy(place.code, member.key().c_str(), length + 1);
  copyText(member.value()["name"], place.name, sizeof place.name, error);
  return error;
}

Error Files::readPlace(JsonVariantConst child, Place& place) {
  Error error = Error::Ok;
  if (!child.is<JsonObjectConst>()) return Error::NotParcelo;
  copyText(child["code"], place.code, sizeof place.code, error) &&
      copyText(child["name"], place.name, sizeof place.name, error);
  return error;
}

Error Files::readMunicipality(JsonObjectConst entry, Municipality& municipality) {
  Error error = Error::Ok;
  if (entry.isNull()) return Error::NotParcelo;
  copyText(entry["cityname"], municipality.cityname, sizeof municipality.cityname, error) &&
      copyText(entry["areaname"], municipality.areaname, sizeof municipality.areaname, error) &&
      copyText(entry["code"], municipality.code, sizeof municipality.code, error);
  return error;
}

}  // namespace parcelo
