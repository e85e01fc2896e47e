// Reads the files that Parcelo writes (centers.json and one <office>.json per forecast office):
// from a card or flash file system through Files, or from any Stream through the read*
// functions below (Serial, an HTTP body, bytes in flash).
//
// Every call streams through its file with ParceloJson's reader: it allocates nothing, and
// keeps only the Place or Municipality it hands to the visitor, on the stack. Codes stay
// strings, exactly as the files hold them ("010000", never 10000). A call that cannot answer
// returns an Error; it never crashes.
#pragma once

#include <Arduino.h>
#include <stddef.h>
#include <stdint.h>

#include "ParceloJson.h"

namespace parcelo {

// What a call returns: `if (error) Serial.println(error.c_str());`.
class Error {
 public:
  enum Code : uint8_t {
    Ok,
    NoFile,        // the folder or the file is not on the card
    NotParcelo,    // the file is not as Parcelo writes it: empty, cut off, or of another shape
    TooLong,       // a code or a name in the file does not fit kCodeSize or kNameSize
    BadCode,       // the code asked for cannot name a file ("", too long, or with / \ *)
    TimedOut,      // a stream read with a time limit gave no byte in time
    NotForecast,   // the document is not the agency's forecast for an office
    NoArea,        // the forecast does not list the area asked for
    NotTrusted,    // the server's certificate chains to no root the board was given
    NoConnection,  // no connection to the server: no network, no such host, refused
    HttpStatus,    // the server answered with a status other than 200 or 304
    Moved,         // the server answered with a redirect
    Compressed,    // the body is compressed (gzip, br ...), which the board does not read
    NotHttp,       // what the server sent is not an HTTP answer
    CutOff,        // the answer stopped before its end
    OldWarnings,   // the warnings of the agency's old address, which stopped on 2026-05-28
    NotWarnings,   // the document is not the agency's warnings for an office
    NoTown,        // the warnings carry neither the municipality nor its primary subdivision
  };
  Error(Code code = Ok) : code_(code) {}
  explicit operator bool() const { return code_ != Ok; }
  Code code() const { return code_; }
  // A short English text to show on the screen: "ok", "no such file on the card", ...
  const char* c_str() const;
  friend bool operator==(Error a, Error b) { return a.code_ == b.code_; }
  friend bool operator!=(Error a, Error b) { return a.code_ != b.code_; }

 private:
  Code code_;
};

// The same as error.c_str(), as earlier versions of the library spelled it.
inline const char* errorText(Error error) { return error.c_str(); }

// Room for a code or a name, with its terminating NUL. The agency's codes have 6 digits and
// its longest name 42 bytes of UTF-8.
const size_t kCodeSize = 16;
const size_t kNameSize = 128;

// Whether `code` can name a file and a member of centers.json: not empty, shorter than
// kCodeSize, without / \ or *.
bool validCode(const char* code);

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

// The town the owner chose, as town.json beside Parcelo's files holds it: the page writes it
// when a person saves their town's files, the ChooseYourTown example when the owner picks one.
struct Town {
  char office[kCodeSize];          // the town's forecast office: "014030" for 帯広市
  char forecastOffice[kCodeSize];  // the office whose forecast document carries it: "014100"
  char area[kCodeSize];            // its primary subdivision, the forecast's area: "014030"
  char areaname[kNameSize];        // "十勝地方"
  char cityname[kNameSize];        // "帯広市"
  char city[kCodeSize];            // its key in the agency's class20s: "0120700"; "" if unknown
};

// Hears each item a call reads; returns false to hear no more. Files and the read* templates
// below wrap any callable (a lambda) in one.
template <typename Item>
class Visitor {
 public:
  virtual bool visit(const Item& item) = 0;

 protected:
  ~Visitor() {}
};

// Reading from a Stream that holds centers.json or an office file; the stream is read to its
// end (or to the time limit of a reader made with one), so that a file cut off or of another
// shape gives its error whether or not the visitor stopped early.
//
// Each regional centre of centers.json, in the file's order. The tool writes "null" for a list
// without centres: no visit, Ok.
Error readCenters(Stream& centersJson, Visitor<Place>& visitor, unsigned long timeoutMs = 0);
// Each office of the centre with the code `center`, in the file's order; a centre the file
// lacks has no offices.
Error readOffices(Stream& centersJson, const char* center, Visitor<Place>& visitor,
                  unsigned long timeoutMs = 0);
// Each municipality of an office file, in the file's order.
Error readMunicipalities(Stream& officeJson, Visitor<Municipality>& visitor,
                         unsigned long timeoutMs = 0);
// Sets `code` to the primary-subdivision code of the municipality named `cityname`: the first
// such entry where a name repeats, "" where there is none and with every error.
Error readAreaCode(Stream& officeJson, const char* cityname, char (&code)[kCodeSize],
                   unsigned long timeoutMs = 0);

// Reads town.json: NotParcelo where it lacks the office, the area or a name or holds a code that
// cannot name a file; a missing forecastOffice is the office's own, a missing city "".
Error readTown(Stream& townJson, Town& town, unsigned long timeoutMs = 0);
// Writes `town` as town.json, as the page writes it: keys in order, four spaces of indent.
// Returns false where `out` took fewer bytes than it was given.
bool writeTown(Print& out, const Town& town);

template <typename Item, typename Visit>
class VisitorOf : public Visitor<Item> {
 public:
  explicit VisitorOf(Visit& visit) : visit_(visit) {}
  bool visit(const Item& item) override { return visit_(item); }

 private:
  Visit& visit_;
};

// Reads from `folder` of a file system: the ESP32's, ESP8266's and RP2040's fs::FS (SD, SD_MMC,
// LittleFS), or the SD library's SD on other boards; anything whose open(path) gives a File that
// is a Stream with isDirectory() and close().
class Files {
 public:
  // `fs` and `folder` must outlive this object.
  template <typename FileSystem>
  explicit Files(FileSystem& fs, const char* folder = "/parcelo")
      : fs_(&fs), open_(&openWith<FileSystem>), folder_(folder) {}

  // Calls visit(const Place&) for each regional centre of centers.json, in the file's order,
  // while visit returns true.
  template <typename Visit>
  Error centers(Visit visit) {
    VisitorOf<Place, Visit> visitor(visit);
    Request request = {Request::Centers, nullptr, &visitor, nullptr, nullptr};
    return read("centers", request);
  }

  // Calls visit(const Place&) for each office of the centre with the code `center`, in the
  // file's order, while visit returns true. A centre the file lacks has no offices.
  template <typename Visit>
  Error offices(const char* center, Visit visit) {
    if (!validCode(center)) return Error::BadCode;
    VisitorOf<Place, Visit> visitor(visit);
    Request request = {Request::Offices, center, &visitor, nullptr, nullptr};
    return read("centers", request);
  }

  // Calls visit(const Municipality&) for each municipality in <office>.json, in the file's
  // order, while visit returns true.
  template <typename Visit>
  Error municipalities(const char* office, Visit visit) {
    VisitorOf<Municipality, Visit> visitor(visit);
    Request request = {Request::Municipalities, nullptr, nullptr, &visitor, nullptr};
    return read(office, request);
  }

  // Sets `code` to the primary-subdivision code of the municipality named `cityname` in
  // <office>.json: the first such entry where a name repeats, "" where there is none and with
  // every error.
  Error areaCode(const char* office, const char* cityname, char (&code)[kCodeSize]);

  // Reads <folder>/town.json, the town the owner chose.
  Error town(Town& town) {
    Request request = {Request::Town, nullptr, nullptr, nullptr, &town};
    return read("town", request);
  }

 private:
  struct Request {
    enum Kind : uint8_t { Centers, Offices, Municipalities, Town } kind;
    const char* center;
    Visitor<Place>* places;
    Visitor<Municipality>* towns;
    parcelo::Town* town;
  };
  typedef Error (*Open)(void* fs, const char* path, const Request& request);

  // Opens <folder>/<name>.json and reads it for `request`.
  Error read(const char* name, const Request& request);
  static Error readOpen(Stream& file, const Request& request);

  template <typename FileSystem>
  static Error openWith(void* fs, const char* path, const Request& request) {
    auto file = static_cast<FileSystem*>(fs)->open(path);
    if (!file) return Error::NoFile;
    Error error = file.isDirectory() ? Error(Error::NoFile) : readOpen(file, request);
    file.close();
    return error;
  }

  void* fs_;
  Open open_;
  const char* folder_;
};

// The same calls on a Stream, with a lambda for the visitor.
template <typename Visit>
Error readCenters(Stream& centersJson, Visit visit, unsigned long timeoutMs = 0) {
  VisitorOf<Place, Visit> visitor(visit);
  return readCenters(centersJson, static_cast<Visitor<Place>&>(visitor), timeoutMs);
}
template <typename Visit>
Error readOffices(Stream& centersJson, const char* center, Visit visit,
                  unsigned long timeoutMs = 0) {
  VisitorOf<Place, Visit> visitor(visit);
  return readOffices(centersJson, center, static_cast<Visitor<Place>&>(visitor), timeoutMs);
}
template <typename Visit>
Error readMunicipalities(Stream& officeJson, Visit visit, unsigned long timeoutMs = 0) {
  VisitorOf<Municipality, Visit> visitor(visit);
  return readMunicipalities(officeJson, static_cast<Visitor<Municipality>&>(visitor), timeoutMs);
}

}  // namespace parcelo
