// Reads the agency's forecast for one office, https://www.jma.go.jp/bosai/forecast/data/forecast/
// <office>.json, as it streams (an HTTP body or a saved file), and keeps what the agency's own
// forecast page shows for one primary subdivision (the code that areaCode gives):
// - the short-term forecast for each of its times (weather code and text, wind, waves);
// - the chance of rain for each of its time slots;
// - today's highest and tomorrow's lowest and highest temperatures at the area's station;
// - the weekly forecast for each day, with the lowest and highest temperatures and their ranges.
// Nothing is allocated: the Forecast is the caller's (about 2.8 KB), and the document is never
// held. An empty text is "no value" (the agency leaves some weekly values empty), never zero.
#pragma once

#include "Parcelo.h"

namespace parcelo {

// Room for a text, with its NUL. The agency's longest weather, wind or waves text has 174 bytes.
const size_t kTextSize = 192;
const size_t kTimeSize = 26;  // "2024-01-11T11:00:00+09:00"
const size_t kValueSize = 8;  // a chance of rain, a temperature, a reliability: "-12", "100", "A"
const size_t kWeatherCodeSize = 4;  // "101"
const size_t kStationNameSize = 48;

struct ForecastTime {
  char time[kTimeSize];
  char weatherCode[kWeatherCodeSize];
  char weather[kTextSize];
  char wind[kTextSize];
  char waves[kTextSize];  // "" where the area has no sea
};

struct ChanceOfRain {
  char time[kTimeSize];  // the start of the 6-hour slot
  char pop[kValueSize];  // percent
};

struct ForecastDay {
  char date[kTimeSize];
  char weatherCode[kWeatherCodeSize];
  char pop[kValueSize];
  char reliability[kValueSize];  // A, B or C
  char min[kValueSize];
  char minUpper[kValueSize];
  char minLower[kValueSize];
  char max[kValueSize];
  char maxUpper[kValueSize];
  char maxLower[kValueSize];
};

struct Forecast {
  char reportDatetime[kTimeSize];  // of the short-term forecast
  uint8_t timeCount;
  ForecastTime times[3];
  uint8_t popCount;
  ChanceOfRain pops[8];
  char station[kCodeSize];  // the station whose temperatures the agency's page shows
  char stationName[kStationNameSize];
  char todayMax[kValueSize];  // "" from the evening issue (17 JST) on
  char tomorrowMin[kValueSize];
  char tomorrowMax[kValueSize];
  char weekArea[kCodeSize];  // the weekly area that covers the primary subdivision this season
  char weekStation[kCodeSize];
  uint8_t dayCount;
  ForecastDay days[7];
};

// Reads the document for the office from `document` and fills `forecast` for the primary
// subdivision `area`. NotForecast for a document of another shape (an HTML error page, the
// agency's overview), NoArea where the document does not list `area`, TooLong for a text longer
// than its buffer, TimedOut where a stream read with `timeoutMs` stalls. Reads only up to the end
// of the document's value, so an HTTP body need not close.
Error readForecast(Stream& document, const char* area, Forecast& forecast,
                   unsigned long timeoutMs = 0);

// The office whose document carries `office`'s forecast: the agency publishes 十勝 (014030) in
// 釧路・根室's (014100) and 奄美 (460040) in 鹿児島's (460100); every other office is its own.
const char* forecastOffice(const char* office);

// The agency's texts and icons of a weather code; "unknown" texts and no icons for a code its
// table does not have.
struct WeatherCodeText {
  char japanese[48];
  char english[80];
  char dayIcon[8];  // "100.svg", under https://www.jma.go.jp/bosai/forecast/img/
  char nightIcon[8];
};
bool weatherCodeText(const char* code, WeatherCodeText& text);

}  // namespace parcelo
