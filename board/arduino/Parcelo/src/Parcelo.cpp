#include "Parcelo.h"

#include <string.h>

#include "ParceloReaders.h"

namespace parcelo {

namespace {

// Room for a member's name: Parcelo's files use "areaname", "children", "cityname", "code" and
// "name".
const size_t kKeySize = 16;
// Room for "<folder>/<code>.json".
const size_t kPathSize = 64;

// A member of an object that a call needs: its name and the caller's buffer for its text.
struct Member {
  const char* key;
  char* out;
  size_t size;
};

// Reads the object that comes next into `members`, which it must hold as strings where it holds
// them; other members are skipped. Bit i of `found` tells whether member i was there. False on
// any error.
bool readObject(JsonReader& json, const Member* members, uint8_t count, uint8_t& found) {
  found = 0;
  if (!json.beginObject()) return false;
  char key[kKeySize];
  while (json.nextKey(key, sizeof key)) {
    uint8_t i = 0;
    while (i < count && strcmp(key, members[i].key) != 0) i++;
    if (i == count) {
      json.skip();
    } else if (json.readString(members[i].out, members[i].size)) {
      found |= static_cast<uint8_t>(1 << i);
    }
  }
  return !json.error();
}

// The same, where every member must be there.
bool readMembers(JsonReader& json, const Member* members, uint8_t count) {
  uint8_t found;
  return readObject(json, members, count, found) && found == (1 << count) - 1;
}

// A Print that remembers whether every byte it was given was taken.
class CheckedPrint {
 public:
  explicit CheckedPrint(Print& out) : out_(out), ok_(true) {}
  void put(char c) { ok_ = out_.write(static_cast<uint8_t>(c)) == 1 && ok_; }
  void put(const char* text) {
    while (*text != '\0') put(*text++);
  }
  bool ok() const { return ok_; }

 private:
  Print& out_;
  bool ok_;
};

// Writes `text` as a JSON string: quotes, backslashes and control characters escaped, as
// JSON.stringify and Python's json escape them.
void writeString(CheckedPrint& out, const char* text) {
  static const char kEscaped[] = "\"\\\b\f\n\r\t";
  static const char kLetters[] = "\"\\bfnrt";
  static const char kHex[] = "0123456789abcdef";
  out.put('"');
  for (; *text != '\0'; text++) {
    unsigned char c = static_cast<unsigned char>(*text);
    const char* escaped = strchr(kEscaped, c);
    if (escaped != nullptr) {
      out.put('\\');
      out.put(kLetters[escaped - kEscaped]);
    } else if (c < 0x20) {
      out.put("\\u00");
      out.put(kHex[c >> 4]);
      out.put(kHex[c & 15]);
    } else {
      out.put(static_cast<char>(c));
    }
  }
  out.put('"');
}

bool readPlace(JsonReader& json, Place& place) {
  const Member members[] = {{"code", place.code, sizeof place.code},
                            {"name", place.name, sizeof place.name}};
  return readMembers(json, members, 2);
}

bool readMunicipality(JsonReader& json, Municipality& town) {
  const Member members[] = {{"cityname", town.cityname, sizeof town.cityname},
                            {"areaname", town.areaname, sizeof town.areaname},
                            {"code", town.code, sizeof town.code}};
  return readMembers(json, members, 3);
}

// Enters centers.json's object of centres; false, with no error, for the "null" of a list
// without centres.
bool beginCentres(JsonReader& json) {
  if (json.peek() != JsonToken::Null) return json.beginObject();
  json.readNull();
  return false;
}

// The offices of one centre: its "children", each handed to the visitor while it wants more.
bool readChildren(JsonReader& json, Visitor<Place>& visitor) {
  if (!json.beginObject()) return false;
  bool listed = false;
  char key[kKeySize];
  while (json.nextKey(key, sizeof key)) {
    if (strcmp(key, "children") != 0) {
      json.skip();
      continue;
    }
    listed = json.beginArray();
    bool visiting = true;
    Place place;
    while (listed && json.nextItem()) {
      listed = readPlace(json, place);
      if (listed && visiting) visiting = visitor.visit(place);
    }
  }
  return listed && !json.error();
}

// Keeps the code of the first municipality with the name asked for.
class AreaCodeFinder : public Visitor<Municipality> {
 public:
  AreaCodeFinder(const char* cityname, char (&code)[kCodeSize]) : cityname_(cityname), code_(code) {
    code_[0] = '\0';
  }
  bool visit(const Municipality& town) override {
    if (strcmp(town.cityname, cityname_) != 0) return true;
    memcpy(code_, town.code, sizeof code_);
    return false;
  }
  // A file found bad after the entry gives no code: `code` is "" with every error.
  Error answer(Error error) {
    if (error) code_[0] = '\0';
    return error;
  }

 private:
  const char* cityname_;
  char (&code_)[kCodeSize];
};

}  // namespace

const char* Error::c_str() const {
  switch (code_) {
    case Ok:
      return "ok";
    case NoFile:
      return "no such file on the card";
    case NotParcelo:
      return "not a file that Parcelo wrote";
    case TooLong:
      return "a code or name too long";
    case BadCode:
      return "not a code";
    case TimedOut:
      return "timed out";
    case NotForecast:
      return "not the agency's forecast";
    case NoArea:
      return "no such area in the forecast";
    case NotTrusted:
      return "certificate not trusted";
    case NoConnection:
      return "cannot reach the server";
    case HttpStatus:
      return "the server answered";
    case Moved:
      return "moved to another address";
    case Compressed:
      return "compressed: cannot read";
    case NotHttp:
      return "not an HTTP answer";
    case CutOff:
      return "cut off";
    case OldWarnings:
      return "old warning address: use data/r8/";
    case NotWarnings:
      return "not the agency's warnings";
    case NoTown:
      return "no such town in the warnings";
  }
  return "unknown error";
}

Error outcome(JsonReader& json, bool shaped, Error::Code malformed) {
  if (shaped) json.finish();
  switch (json.error().code()) {
    case JsonError::Ok:
      return shaped ? Error::Ok : malformed;
    case JsonError::TooLong:
      return Error::TooLong;
    case JsonError::TimedOut:
      return Error::TimedOut;
    default:
      return malformed;
  }
}

bool validCode(const char* code) {
  if (code == nullptr || code[0] == '\0' || strlen(code) >= kCodeSize) return false;
  return strpbrk(code, "/\\*") == nullptr;
}

Error readCenters(Stream& centersJson, Visitor<Place>& visitor, unsigned long timeoutMs) {
  JsonReader json(centersJson, timeoutMs);
  bool shaped = true;
  bool visiting = true;
  Place place;
  if (beginCentres(json)) {
    while (shaped && json.nextKey(place.code, sizeof place.code)) {
      const Member name[] = {{"name", place.name, sizeof place.name}};
      shaped = readMembers(json, name, 1);
      if (shaped && visiting) visiting = visitor.visit(place);
    }
  }
  return outcome(json, shaped, Error::NotParcelo);
}

Error readOffices(Stream& centersJson, const char* center, Visitor<Place>& visitor,
                  unsigned long timeoutMs) {
  if (!validCode(center)) return Error::BadCode;
  JsonReader json(centersJson, timeoutMs);
  bool shaped = true;
  char code[kCodeSize];
  if (beginCentres(json)) {
    while (shaped && json.nextKey(code, sizeof code)) {
      if (strcmp(code, center) == 0) {
        shaped = readChildren(json, visitor);
      } else {
        json.skip();
      }
    }
  }
  return outcome(json, shaped, Error::NotParcelo);
}

Error readMunicipalities(Stream& officeJson, Visitor<Municipality>& visitor,
                         unsigned long timeoutMs) {
  JsonReader json(officeJson, timeoutMs);
  bool shaped = json.beginArray();
  bool visiting = true;
  Municipality town;
  while (shaped && json.nextItem()) {
    shaped = readMunicipality(json, town);
    if (shaped && visiting) visiting = visitor.visit(town);
  }
  return outcome(json, shaped, Error::NotParcelo);
}

Error readAreaCode(Stream& officeJson, const char* cityname, char (&code)[kCodeSize],
                   unsigned long timeoutMs) {
  code[0] = '\0';
  if (cityname == nullptr) return Error::BadCode;
  AreaCodeFinder finder(cityname, code);
  return finder.answer(
      readMunicipalities(officeJson, static_cast<Visitor<Municipality>&>(finder), timeoutMs));
}

Error Files::areaCode(const char* office, const char* cityname, char (&code)[kCodeSize]) {
  code[0] = '\0';
  if (cityname == nullptr) return Error::BadCode;
  AreaCodeFinder finder(cityname, code);
  Request request = {Request::Municipalities, nullptr, nullptr, &finder, nullptr};
  return finder.answer(read(office, request));
}

Error Files::read(const char* name, const Request& request) {
  if (!validCode(name)) return Error::BadCode;
  size_t folder = strlen(folder_);
  size_t code = strlen(name);
  char path[kPathSize];
  if (folder + 1 + code + sizeof ".json" > sizeof path) return Error::TooLong;
  memcpy(path, folder_, folder);
  path[folder] = '/';
  memcpy(path + folder + 1, name, code);
  memcpy(path + folder + 1 + code, ".json", sizeof ".json");
  return open_(fs_, path, request);
}

Error readTown(Stream& townJson, Town& town, unsigned long timeoutMs) {
  JsonReader json(townJson, timeoutMs);
  const Member members[] = {{"office", town.office, sizeof town.office},
                            {"area", town.area, sizeof town.area},
                            {"areaname", town.areaname, sizeof town.areaname},
                            {"cityname", town.cityname, sizeof town.cityname},
                            {"forecastOffice", town.forecastOffice, sizeof town.forecastOffice},
                            {"city", town.city, sizeof town.city}};
  memset(&town, 0, sizeof town);
  uint8_t found;
  bool shaped = readObject(json, members, 6, found) && (found & 15) == 15 &&
                validCode(town.office) && validCode(town.area);
  if (town.forecastOffice[0] == '\0') strcpy(town.forecastOffice, town.office);
  shaped = shaped && validCode(town.forecastOffice);
  return outcome(json, shaped, Error::NotParcelo);
}

bool writeTown(Print& out, const Town& town) {
  const char* const keys[] = {"area", "areaname", "city", "cityname", "forecastOffice", "office"};
  const char* const values[] = {town.area,     town.areaname,       town.city,
                                town.cityname, town.forecastOffice, town.office};
  CheckedPrint checked(out);
  checked.put('{');
  for (uint8_t i = 0; i < 6; i++) {
    checked.put(i == 0 ? "\n    " : ",\n    ");
    writeString(checked, keys[i]);
    checked.put(": ");
    writeString(checked, values[i]);
  }
  checked.put("\n}");
  return checked.ok();
}

Error Files::readOpen(Stream& file, const Request& request) {
  switch (request.kind) {
    case Request::Town:
      return readTown(file, *request.town);
    case Request::Centers:
      return readCenters(file, *request.places);
    case Request::Offices:
      return readOffices(file, request.center, *request.places);
    case Request::Municipalities:
      break;
  }
  return readMunicipalities(file, *request.towns);
}

}  // namespace parcelo
