#include "ParceloForecast.h"

#include <string.h>

#include "ParceloReaders.h"
#include "ParceloTables.h"

namespace parcelo {

namespace {

using tables::copyRecord;
using tables::copySpan;
using tables::findRecord;
using tables::piece;
using tables::same;
using tables::Span;

const size_t kKeySize = 24;  // the agency's longest member name is "publishingOffice"
const uint8_t kNone = 255;   // no rank: not a candidate

// Whether some primary subdivision's list of temperature stations names `code`.
bool listed(const char* code) {
  char record[tables::kRecordSize];
  for (uint8_t i = 0; i < tables::kAreaCount; i++) {
    copyRecord(tables::kAreas, i, record, sizeof record);
    Span stations = piece(Span{record, strlen(record)}, '|', 1);
    for (uint8_t n = 0;; n++) {
      Span station = piece(stations, ',', n);
      if (station.length == 0) break;
      if (same(piece(station, ':', 0), code)) return true;
    }
  }
  return false;
}

// The kinds of timeSeries the reader keeps something of.
enum Series : uint8_t { Weather, Pops, Temps, Days, WeekTemps, Other };

class ForecastReader {
 public:
  ForecastReader(Stream& in, unsigned long timeoutMs, const char* area, Forecast& forecast)
      : json_(in, timeoutMs), area_(area), forecast_(forecast) {}
  Error read();

 private:
  bool readPart(bool shortTerm);
  bool readSeries(Series series);
  bool readTimes(Series series);
  bool readArea(Series series);
  bool readValues(Series series, const char* key);
  uint8_t rank(Series series, const char* code, const char* name);
  uint8_t stationRank(Span wanted, const char* code, const char* name, uint8_t index);
  char* slot(Series series, const char* key, uint8_t index, size_t& size);

  JsonReader json_;
  const char* area_;
  Forecast& forecast_;
  char record_[tables::kRecordSize];  // what the tables say of the area
  Span stations_;                     // its temperature stations
  Span weekly_;                       // its weekly areas, each with its station
  bool found_ = false;                // the short-term forecast lists the area
  uint8_t temperatureRank_ = kNone;   // of the station whose temperatures are kept
  uint8_t weekRank_ = kNone;          // of the weekly area kept
  uint8_t weekStationRank_ = kNone;
  uint8_t roles_[4];  // what each short-term temperature is: kNone or its place in temps()
};

Error ForecastReader::read() {
  memset(&forecast_, 0, sizeof forecast_);
  memset(roles_, kNone, sizeof roles_);
  findRecord(tables::kAreas, tables::kAreaCount, area_, record_, sizeof record_);
  Span record{record_, strlen(record_)};
  stations_ = piece(record, '|', 1);
  weekly_ = piece(record, '|', 2);
  uint8_t parts = 0;
  bool shaped = json_.beginArray();
  while (shaped && json_.nextItem()) {
    shaped = parts < 2 ? readPart(parts == 0) : json_.skip();
    parts++;
  }
  Error error = outcome(json_, shaped, Error::NotForecast);
  if (error) return error;
  if (parts != 2) return Error::NotForecast;
  return found_ ? Error::Ok : Error::NoArea;
}

bool ForecastReader::readPart(bool shortTerm) {
  if (!json_.beginObject()) return false;
  char key[kKeySize];
  while (json_.nextKey(key, sizeof key)) {
    if (shortTerm && strcmp(key, "reportDatetime") == 0) {
      json_.readString(forecast_.reportDatetime, sizeof forecast_.reportDatetime);
    } else if (strcmp(key, "timeSeries") == 0 && json_.beginArray()) {
      static const Series kShortTerm[] = {Weather, Pops, Temps};
      static const Series kWeek[] = {Days, WeekTemps};
      uint8_t count = shortTerm ? 3 : 2;
      for (uint8_t i = 0; json_.nextItem(); i++) {
        Series series = i >= count ? Other : shortTerm ? kShortTerm[i] : kWeek[i];
        if (!readSeries(series)) return false;
      }
    } else {
      json_.skip();  // publishingOffice, and the weekly normals tempAverage and precipAverage
    }
  }
  return !json_.error();
}

bool ForecastReader::readSeries(Series series) {
  if (series == Other) return json_.skip();
  if (!json_.beginObject()) return false;
  char key[kKeySize];
  while (json_.nextKey(key, sizeof key)) {
    if (strcmp(key, "timeDefines") == 0) {
      if (!readTimes(series)) return false;
    } else if (strcmp(key, "areas") == 0 && json_.beginArray()) {
      while (json_.nextItem()) {
        if (!readArea(series)) return false;
      }
    } else {
      json_.skip();
    }
  }
  return !json_.error();
}

bool ForecastReader::readTimes(Series series) {
  if (!json_.beginArray()) return false;
  char time[kTimeSize];
  for (uint8_t i = 0; json_.nextItem(); i++) {
    if (!json_.readString(time, sizeof time)) return false;
    if (series == Weather && i < 3) {
      memcpy(forecast_.times[i].time, time, sizeof time);
      forecast_.timeCount = i + 1;
    } else if (series == Pops && i < 8) {
      memcpy(forecast_.pops[i].time, time, sizeof time);
      forecast_.popCount = i + 1;
    } else if (series == Days && i < 7) {
      memcpy(forecast_.days[i].date, time, sizeof time);
      forecast_.dayCount = i + 1;
    } else if (series == Temps && i < 4) {
      // By time of day: today's 09:00 is today's highest; tomorrow's 00:00 and 09:00 are its
      // lowest and highest. Today's 00:00 is a placeholder, never shown.
      bool today = strncmp(time, forecast_.reportDatetime, 10) == 0;
      bool later = strncmp(time, forecast_.reportDatetime, 10) > 0;
      bool nine = strncmp(time + 11, "09", 2) == 0;
      bool midnight = strncmp(time + 11, "00", 2) == 0;
      roles_[i] = today && nine ? 0 : later && midnight ? 1 : later && nine ? 2 : kNone;
    }
  }
  return !json_.error();
}

bool ForecastReader::readArea(Series series) {
  if (!json_.beginObject()) return false;
  char key[kKeySize];
  bool known = false;
  bool keep = false;
  while (json_.nextKey(key, sizeof key)) {
    if (strcmp(key, "area") == 0) {
      Place place = Place();  // a member the agency leaves out is ""
      const char* fields[] = {"code", "name"};
      char* outs[] = {place.code, place.name};
      size_t sizes[] = {sizeof place.code, kStationNameSize};
      if (!json_.beginObject()) return false;
      while (json_.nextKey(key, sizeof key)) {
        uint8_t i = strcmp(key, fields[0]) == 0 ? 0 : strcmp(key, fields[1]) == 0 ? 1 : 2;
        if (i < 2) json_.readString(outs[i], sizes[i]);
        if (i == 2) json_.skip();
      }
      uint8_t candidate = rank(series, place.code, place.name);
      known = true;
      keep = candidate != kNone;
    } else if (!known) {
      // The agency names the area first; without it, the values have no owner.
      json_.skip();
      return false;
    } else if (keep) {
      if (!readValues(series, key)) return false;
    } else {
      json_.skip();
    }
  }
  return !json_.error();
}

// Where the area (a primary subdivision, a weekly area or a station) stands among the
// candidates of `series`, taking it (and clearing what an earlier candidate left) when it is the
// best so far; kNone when it is not kept.
uint8_t ForecastReader::rank(Series series, const char* code, const char* name) {
  switch (series) {
    case Weather:
    case Pops:
      if (strcmp(code, area_) != 0) return kNone;
      found_ = found_ || series == Weather;
      return 0;
    case Temps: {
      uint8_t at = kNone;
      for (uint8_t i = 0; at == kNone; i++) {
        Span station = piece(stations_, ',', i);
        if (station.length == 0) break;
        at = stationRank(station, code, name, i);
      }
      if (at >= temperatureRank_) return kNone;
      temperatureRank_ = at;
      strcpy(forecast_.station, code);
      strcpy(forecast_.stationName, name);
      forecast_.todayMax[0] = forecast_.tomorrowMin[0] = forecast_.tomorrowMax[0] = '\0';
      return at;
    }
    case Days: {
      uint8_t at = kNone;
      for (uint8_t i = 0; at == kNone; i++) {
        Span week = piece(weekly_, ',', i);
        if (week.length == 0) break;
        if (same(piece(week, '=', 0), code)) at = i;
      }
      if (at >= weekRank_) return kNone;
      weekRank_ = at;
      strcpy(forecast_.weekArea, code);
      for (ForecastDay& day : forecast_.days) {
        day.weatherCode[0] = day.pop[0] = day.reliability[0] = '\0';
      }
      return at;
    }
    case WeekTemps: {
      Span wanted{nullptr, 0};
      for (uint8_t i = 0; wanted.at == nullptr; i++) {
        Span week = piece(weekly_, ',', i);
        if (week.length == 0) return kNone;
        if (same(piece(week, '=', 0), forecast_.weekArea)) wanted = piece(week, '=', 1);
      }
      uint8_t at = stationRank(wanted, code, name, 0);
      if (at >= weekStationRank_) return kNone;
      weekStationRank_ = at;
      strcpy(forecast_.weekStation, code);
      for (ForecastDay& day : forecast_.days) {
        day.min[0] = day.minUpper[0] = day.minLower[0] = '\0';
        day.max[0] = day.maxUpper[0] = day.maxLower[0] = '\0';
      }
      return at;
    }
    case Other:
      break;
  }
  return kNone;
}

// How well a station of the document matches `wanted` ("<code>:<name>"), the `index`th of the
// area's list: the first itself is best; then, where the agency has renumbered the first, a
// station that no list names with the first's name; then the others of the list in order.
uint8_t ForecastReader::stationRank(Span wanted, const char* code, const char* name,
                                    uint8_t index) {
  Span wantedCode = piece(wanted, ':', 0);
  Span wantedName = piece(wanted, ':', 1);
  if (same(wantedCode, code)) return index == 0 ? 0 : index + 1;
  if (index == 0 && wantedName.length > 0 && same(wantedName, name) && !listed(code)) return 1;
  return kNone;
}

char* ForecastReader::slot(Series series, const char* key, uint8_t index, size_t& size) {
  size = kValueSize;
  if (series == Weather && index < 3) {
    ForecastTime& time = forecast_.times[index];
    size = kTextSize;
    if (strcmp(key, "weathers") == 0) return time.weather;
    if (strcmp(key, "winds") == 0) return time.wind;
    if (strcmp(key, "waves") == 0) return time.waves;
    size = kWeatherCodeSize;
    if (strcmp(key, "weatherCodes") == 0) return time.weatherCode;
  } else if (series == Pops && index < 8 && strcmp(key, "pops") == 0) {
    return forecast_.pops[index].pop;
  } else if (series == Temps && index < 4 && strcmp(key, "temps") == 0) {
    char* const places[] = {forecast_.todayMax, forecast_.tomorrowMin, forecast_.tomorrowMax};
    return roles_[index] == kNone ? nullptr : places[roles_[index]];
  } else if ((series == Days || series == WeekTemps) && index < 7) {
    ForecastDay& day = forecast_.days[index];
    const char* const keys[] = {"pops",          "reliabilities", "tempsMin",      "tempsMinUpper",
                                "tempsMinLower", "tempsMax",      "tempsMaxUpper", "tempsMaxLower"};
    char* const places[] = {day.pop,      day.reliability, day.min,      day.minUpper,
                            day.minLower, day.max,         day.maxUpper, day.maxLower};
    for (uint8_t i = 0; i < 8; i++) {
      if (strcmp(key, keys[i]) == 0) return places[i];
    }
    size = kWeatherCodeSize;
    if (series == Days && strcmp(key, "weatherCodes") == 0) return day.weatherCode;
  }
  return nullptr;
}

bool ForecastReader::readValues(Series series, const char* key) {
  if (json_.peek() != JsonToken::Array) return json_.skip();
  json_.beginArray();
  for (uint8_t i = 0; json_.nextItem(); i++) {
    size_t size;
    char* out = slot(series, key, i, size);
    if (out != nullptr ? !json_.readString(out, size) : !json_.skip()) return false;
  }
  return !json_.error();
}

}  // namespace

Error readForecast(Stream& document, const char* area, Forecast& forecast,
                   unsigned long timeoutMs) {
  if (!validCode(area)) return Error::BadCode;
  ForecastReader reader(document, timeoutMs, area, forecast);
  return reader.read();
}

const char* forecastOffice(const char* office) {
  if (office == nullptr) return "";
  if (strcmp(office, "014030") == 0) return "014100";
  if (strcmp(office, "460040") == 0) return "460100";
  return office;
}

bool weatherCodeText(const char* code, WeatherCodeText& text) {
  char record[tables::kRecordSize] = "";
  bool known = code != nullptr && code[0] != '\0' &&
               findRecord(tables::kCodes, tables::kCodeCount, code, record, sizeof record);
  Span all{record, strlen(record)};
  copySpan(known ? piece(all, '|', 3) : Span{"unknown", 7}, text.japanese, sizeof text.japanese);
  copySpan(known ? piece(all, '|', 4) : Span{"unknown", 7}, text.english, sizeof text.english);
  copySpan(known ? piece(all, '|', 1) : Span{"", 0}, text.dayIcon, sizeof text.dayIcon);
  copySpan(known ? piece(all, '|', 2) : Span{"", 0}, text.nightIcon, sizeof text.nightIcon);
  return known;
}

}  // namespace parcelo
