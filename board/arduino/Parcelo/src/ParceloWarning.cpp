#include "ParceloWarning.h"

#include <string.h>

#include "ParceloReaders.h"
#include "ParceloTables.h"

namespace parcelo {

namespace {

const size_t kKeySize = 24;        // "publishingOffice", "controlDatetime"
const uint8_t kMergedSize = 16;    // distinct codes a town carries across every family
const uint8_t kBulletinKinds = 8;  // kinds of one family for one area
const size_t kControlSize = 24;    // "2026-09-16T02:37:40Z"

struct Kind {
  char code[4];
  char status[kWarningStatusSize];
};

// A kind merged across the bulletins, with the time of the bulletin that last decided it.
struct Merged {
  Kind kind;
  uint8_t level;
  char report[kTimeSize];
  char control[kControlSize];
};

bool inForce(const char* status) {
  return strcmp(status, "解除") != 0 && strcmp(status, "発表警報・注意報はなし") != 0;
}

// The order of severity: an unknown code ranks with 警報, so that it is shown, never dropped
// below the advisories.
uint8_t rank(uint8_t level) { return level == Unknown ? static_cast<uint8_t>(Warning) : level; }

uint8_t levelOf(const char* code) {
  WarningCodeText text;
  warningCodeText(code, text);
  return text.level;
}

// Whether the bulletin of `report`, `control` is newer than that of `thanReport`, `thanControl`.
bool newer(const char* report, const char* control, const char* thanReport,
           const char* thanControl) {
  int order = strcmp(report, thanReport);
  return order > 0 || (order == 0 && strcmp(control, thanControl) > 0);
}

class WarningReader {
 public:
  WarningReader(Stream& in, unsigned long timeoutMs, const char* city, const char* area,
                Warnings& out)
      : json_(in, timeoutMs), city_(city), area_(area), out_(out) {}
  Error read();

 private:
  Error readOldForm();
  bool readBulletin();
  bool readItems();
  bool readItem(bool municipality);
  bool readKinds(Kind* kinds, uint8_t& count);
  void take(bool municipality);
  void result();

  JsonReader json_;
  const char* city_;
  const char* area_;
  Warnings& out_;
  bool found_ = false;      // some bulletin carries the town
  bool cityFound_ = false;  // some bulletin carries the municipality itself
  uint8_t mergedCount_ = 0;
  uint8_t overflow_ = 0;   // codes past kMergedSize
  int8_t bestLevel_ = -1;  // of the bulletin whose headline is kept
  char bestReport_[kTimeSize] = "";
  char bestControl_[kControlSize] = "";
  Merged merged_[kMergedSize];
  // The bulletin being read.
  char report_[kTimeSize];
  char control_[kControlSize];
  char headline_[kHeadlineSize];
  Kind cityKinds_[kBulletinKinds];
  Kind areaKinds_[kBulletinKinds];
  uint8_t cityCount_, areaCount_;
  bool cityListed_, areaListed_;
};

Error WarningReader::read() {
  memset(&out_, 0, sizeof out_);
  JsonToken first = json_.peek();
  if (first == JsonToken::Object) return readOldForm();
  bool shaped = json_.beginArray();
  while (shaped && json_.nextItem()) shaped = readBulletin();
  Error error = outcome(json_, shaped, Error::NotWarnings);
  if (error) return error;
  if (!found_) return Error::NoTown;
  result();
  return Error::Ok;
}

// The old address's object: told by its "areaTypes".
Error WarningReader::readOldForm() {
  json_.beginObject();
  char key[kKeySize];
  bool old = false;
  while (json_.nextKey(key, sizeof key)) {
    old = old || strcmp(key, "areaTypes") == 0;
    json_.skip();
  }
  Error error = outcome(json_, true, Error::NotWarnings);
  if (error) return error;
  return old ? Error::OldWarnings : Error::NotWarnings;
}

bool WarningReader::readBulletin() {
  if (!json_.beginObject()) return false;
  report_[0] = control_[0] = headline_[0] = '\0';
  cityCount_ = areaCount_ = 0;
  cityListed_ = areaListed_ = false;
  char key[kKeySize];
  while (json_.nextKey(key, sizeof key)) {
    if (strcmp(key, "reportDatetime") == 0) {
      json_.readString(report_, sizeof report_);
    } else if (strcmp(key, "controlDatetime") == 0) {
      json_.readString(control_, sizeof control_);
    } else if (strcmp(key, "headlineText") == 0) {
      json_.readString(headline_, sizeof headline_);
    } else if (strcmp(key, "warning") == 0) {
      if (!readItems()) return false;
    } else {
      json_.skip();
    }
  }
  if (json_.error()) return false;
  // The municipality's own kinds, once any bulletin carries it: what only its area said is
  // dropped then.
  if (cityListed_ && !cityFound_) {
    cityFound_ = true;
    mergedCount_ = overflow_ = 0;
    bestLevel_ = -1;
    out_.reportDatetime[0] = '\0';
  }
  if (cityListed_) take(true);
  if (areaListed_ && !cityFound_) take(false);
  return true;
}

bool WarningReader::readItems() {
  if (!json_.beginObject()) return false;
  char key[kKeySize];
  while (json_.nextKey(key, sizeof key)) {
    bool municipality = strcmp(key, "class20Items") == 0;
    if (!municipality && strcmp(key, "class10Items") != 0) {
      json_.skip();
      continue;
    }
    if (!json_.beginArray()) return false;
    while (json_.nextItem()) {
      if (!readItem(municipality)) return false;
    }
  }
  return !json_.error();
}

bool WarningReader::readItem(bool municipality) {
  if (!json_.beginObject()) return false;
  char key[kKeySize];
  char code[kCodeSize] = "";
  bool named = false;
  while (json_.nextKey(key, sizeof key)) {
    if (strcmp(key, "areaCode") == 0) {
      named = json_.readString(code, sizeof code);
      continue;
    }
    if (strcmp(key, "kinds") != 0) {
      json_.skip();
      continue;
    }
    // The agency names the area first; without it, the kinds have no owner.
    if (!named) return false;
    bool city = municipality && city_[0] != '\0' && strcmp(code, city_) == 0;
    bool area = !municipality && strcmp(code, area_) == 0;
    if (!city && !area) {
      json_.skip();
      continue;
    }
    (city ? cityListed_ : areaListed_) = true;
    if (!readKinds(city ? cityKinds_ : areaKinds_, city ? cityCount_ : areaCount_)) return false;
  }
  return !json_.error();
}

bool WarningReader::readKinds(Kind* kinds, uint8_t& count) {
  if (!json_.beginArray()) return false;
  while (json_.nextItem()) {
    if (!json_.beginObject()) return false;
    Kind kind = Kind();
    char key[kKeySize];
    while (json_.nextKey(key, sizeof key)) {
      if (strcmp(key, "code") == 0) {
        json_.readString(kind.code, sizeof kind.code);
      } else if (strcmp(key, "status") == 0) {
        json_.readString(kind.status, sizeof kind.status);
      } else {
        json_.skip();  // properties: the phenomenon's details
      }
    }
    // An entry without a code says the area has nothing of that family.
    if (kind.code[0] != '\0' && count < kBulletinKinds) kinds[count++] = kind;
  }
  return !json_.error();
}

// Merges the bulletin's kinds for the town: a code already merged is decided by the newer
// bulletin. Keeps the newest time, and the headline of the most severe bulletin.
void WarningReader::take(bool municipality) {
  found_ = true;
  const Kind* kinds = municipality ? cityKinds_ : areaKinds_;
  uint8_t count = municipality ? cityCount_ : areaCount_;
  int8_t level = 0;
  for (uint8_t i = 0; i < count; i++) {
    const Kind& kind = kinds[i];
    uint8_t kindLevel = levelOf(kind.code);
    if (inForce(kind.status) && rank(kindLevel) > level)
      level = static_cast<int8_t>(rank(kindLevel));
    uint8_t at = 0;
    while (at < mergedCount_ && strcmp(merged_[at].kind.code, kind.code) != 0) at++;
    if (at == mergedCount_ && mergedCount_ == kMergedSize) {
      overflow_++;
      continue;
    }
    if (at < mergedCount_ && !newer(report_, control_, merged_[at].report, merged_[at].control)) {
      continue;
    }
    if (at == mergedCount_) mergedCount_++;
    merged_[at].kind = kind;
    merged_[at].level = kindLevel;
    strcpy(merged_[at].report, report_);
    strcpy(merged_[at].control, control_);
  }
  if (strcmp(report_, out_.reportDatetime) > 0) strcpy(out_.reportDatetime, report_);
  bool moreSevere = level > bestLevel_ ||
                    (level == bestLevel_ && newer(report_, control_, bestReport_, bestControl_));
  if (level > 0 && moreSevere) {
    bestLevel_ = level;
    strcpy(bestReport_, report_);
    strcpy(bestControl_, control_);
    strcpy(out_.headline, headline_);
  }
}

// The kinds in force, the most severe first (in the order they came, within a level).
void WarningReader::result() {
  out_.fromArea = !cityFound_;
  out_.more = overflow_;
  for (uint8_t level = Emergency; level >= Advisory; level--) {
    for (uint8_t i = 0; i < mergedCount_; i++) {
      const Kind& kind = merged_[i].kind;
      uint8_t kindLevel = merged_[i].level;
      if (!inForce(kind.status) || rank(kindLevel) != level) continue;
      if (out_.count == kMaxWarnings) {
        out_.more++;
        continue;
      }
      WarningKind& shown = out_.kinds[out_.count++];
      strcpy(shown.code, kind.code);
      strcpy(shown.status, kind.status);
      shown.level = kindLevel;
    }
  }
  if (bestLevel_ <= 0) out_.headline[0] = '\0';
}

}  // namespace

Error readWarnings(Stream& document, const char* city, const char* area, Warnings& warnings,
                   unsigned long timeoutMs) {
  if (city == nullptr || (city[0] != '\0' && !validCode(city)) || !validCode(area)) {
    return Error::BadCode;
  }
  WarningReader reader(document, timeoutMs, city, area, warnings);
  return reader.read();
}

bool warningCodeText(const char* code, WarningCodeText& text, bool legacy) {
  using tables::Span;
  char record[tables::kRecordSize] = "";
  bool known = code != nullptr && code[0] != '\0' &&
               tables::findRecord(legacy ? tables::kLegacyCodes : tables::kR8Codes,
                                  legacy ? tables::kLegacyCodeCount : tables::kR8CodeCount, code,
                                  record, sizeof record);
  Span all{record, strlen(record)};
  Span unknown{"unknown", 7};
  tables::copySpan(known ? tables::piece(all, '|', 2) : unknown, text.phenomenon,
                   sizeof text.phenomenon);
  tables::copySpan(known ? tables::piece(all, '|', 3) : unknown, text.japanese,
                   sizeof text.japanese);
  tables::copySpan(known ? tables::piece(all, '|', 4) : unknown, text.english, sizeof text.english);
  text.level = known ? static_cast<uint8_t>(tables::piece(all, '|', 1).at[0] - '0')
                     : static_cast<uint8_t>(Unknown);
  return known;
}

}  // namespace parcelo
