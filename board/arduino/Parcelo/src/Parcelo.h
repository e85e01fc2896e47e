// Reads the files that Parcelo writes (centers.json and one <office>.json per forecast office)
// from an fs::FS, such as SD or LittleFS, on ArduinoJson 7.
//
// Every call opens one file and streams through it: an office file one entry at a time,
// centers.json through a filter that keeps only what the call returns, so the heap a call
// needs does not grow with the file. Codes stay strings, exactly as the files hold them
// ("010000", never 10000). A call that cannot answer returns an Error; it never crashes.
#pragma once

#include <ArduinoJson.h>
#include <FS.h>
#include <stddef.h>

namespace parcelo {

enum class Error : uint8_t {
  Ok,
  NoFile,      // the folder or the file is not on the card
  NotParcelo,  // the file is not as Parcelo writes it: empty, cut off, or of another shape
  TooLong,     // a code or a name in the file does not fit kCodeSize or kNameSize
  NoMemory,    // too little heap for one entry
  BadCode,     // the code asked for cannot name a file ("", too long, or with / \ *)
};

// A short English text for the error, to show on the screen ("ok" for Error::Ok).
const char* errorText(Error error);

// Whether `code` can name a file and a member of centers.json: not empty, shorter than
// kCodeSize, without / \ or * (the filter's wildcard).
bool validCode(const char* code);

// Room for a code or a name, with its terminating NUL. The agency's codes have 6 digits and
// its longest name 42 bytes of UTF-8.
constexpr size_t kCodeSize = 16;
constexpr size_t kNameSize = 128;

// A regional centre or a forecast office.
struct Place {
  char code[kCodeSize];
  char name[kNameSize];
};

// A municipality of an office, with the primary subdivision that holds it: `code` is that
// subdivision's code, by which the agency's forecast for the office lists its areas.
struct Municipality {
  char cityname[kNameSize];
  char areaname[kNameSize];
  char code[kCodeSize];
};

class Files {
 public:
  // Reads from `folder` on `fs`; both must outlive this object. `allocator` (optional) is
  // the heap ArduinoJson uses, for instance one in PSRAM.
  explicit Files(fs::FS& fs, const char* folder = "/parcelo",
                 ArduinoJson::Allocator* allocator = nullptr);

  // Calls visit(const Place&) for each regional centre of centers.json, in the file's order,
  // while visit returns true. Each call checks the whole of what it reads, so that a file cut
  // off or of another shape gives its error whether or not visit stopped early.
  template <typename Visit>
  Error centers(Visit visit);

  // Calls visit(const Place&) for each office of the centre with the code `center`, in the
  // file's order, while visit returns true. A centre the file lacks has no offices.
  template <typename Visit>
  Error offices(const char* center, Visit visit);

  // Calls visit(const Municipality&) for each municipality in <office>.json, in the file's
  // order, while visit returns true.
  template <typename Visit>
  Error municipalities(const char* office, Visit visit);

  // Sets `code` to the primary-subdivision code of the municipality named `cityname` in
  // <office>.json: the first such entry where a name repeats, "" where there is none.
  Error areaCode(const char* office, const char* cityname, char (&code)[kCodeSize]);

 private:
  JsonDocument newDocument() const;
  Error open(const char* name, File& file) const;
  Error loadCenters(JsonDocument& filter, JsonDocument& doc);
  static Error startArray(File& file, bool& more);
  static Error nextInArray(File& file, bool& more);
  static Error endOfFile(File& file);
  static Error parsed(DeserializationError error);
  static Error readPlace(JsonPairConst member, Place& place);
  static Error readPlace(JsonVariantConst child, Place& place);
  static Error readMunicipality(JsonObjectConst entry, Municipality& municipality);
  template <typename Places, typename Visit>
  static Error visitPlaces(Places places, Visit& visit);

  fs::FS& fs_;
  const char* folder_;
  ArduinoJson::Allocator* allocator_;
};

// Reads each centre or office of `places` and hands it to visit while visit returns true; the
// rest are still read, so that a bad one gives its error whether or not visit stopped.
template <typename Places, typename Visit>
Error Files::visitPlaces(Places places, Visit& visit) {
  bool visiting = true;
  for (auto item : places) {
    Place place;
    const Error error = readPlace(item, place);
    if (error != Error::Ok) return error;
    if (visiting) visiting = visit(place);
  }
  return Error::Ok;
}

template <typename Visit>
Error Files::centers(Visit visit) {
  JsonDocument filter = newDocument();
  filter["*"]["name"] = true;
  JsonDocument doc = newDocument();
  Error error = loadCenters(filter, doc);
  if (error != Error::Ok) return error;
  return visitPlaces(doc.as<JsonObjectConst>(), visit);
}

template <typename Visit>
Error Files::offices(const char* center, Visit visit) {
  if (!validCode(center)) return Error::BadCode;
  JsonDocument filter = newDocument();
  filter[center]["children"] = true;
  JsonDocument doc = newDocument();
  Error error = loadCenters(filter, doc);
  if (error != Error::Ok) return error;
  // The filter keeps at most the one member, and keeps it even where its value is not an object.
  JsonVariantConst children;
  for (JsonPairConst member : doc.as<JsonObjectConst>()) {
    children = member.value()["children"];
    if (!children.is<JsonArrayConst>()) return Error::NotParcelo;
  }
  return visitPlaces(children.as<JsonArrayConst>(), visit);
}

template <typename Visit>
Error Files::municipalities(const char* office, Visit visit) {
  File file;
  bool more = false;
  bool visiting = true;
  Error error = open(office, file);
  if (error == Error::Ok) error = startArray(file, more);
  JsonDocument entry = newDocument();
  while (more) {
    // One entry at a time: the array's brackets and commas are read here, each entry by
    // ArduinoJson, so the document never holds more than one entry.
    error = parsed(deserializeJson(entry, file, DeserializationOption::NestingLimit(1)));
    Municipality municipality;
    if (error == Error::Ok) error = readMunicipality(entry.as<JsonObjectConst>(), municipality);
    if (error != Error::Ok) break;
    if (visiting) visiting = visit(municipality);
    error = nextInArray(file, more);
  }
  if (error == Error::Ok) error = endOfFile(file);
  file.close();
  return error;
}

}  // namespace parcelo
