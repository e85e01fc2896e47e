// Writes a Forecast as one line of JSON with the keys of forecast_rules.mjs's answers: the
// simulated Mega prints it to Serial, the host check into a string, and both compare it with
// those answers.
#pragma once

#include <ParceloForecast.h>

// "key":"text",... for `count` pairs, escaping what JSON must.
inline void printFields(Print& out, const char* const* keys, const char* const* texts,
                        uint8_t count) {
  for (uint8_t i = 0; i < count; i++) {
    out.print(i > 0 ? ",\"" : "\"");
    out.print(keys[i]);
    out.print("\":\"");
    for (const char* c = texts[i]; *c != '\0'; c++) {
      if (*c == '"' || *c == '\\') out.print('\\');
      out.print(*c);
    }
    out.print('"');
  }
}

inline void printForecast(Print& out, const parcelo::Forecast& forecast) {
  static const char* const kTime[] = {"time", "weatherCode", "weather", "wind", "waves"};
  static const char* const kPop[] = {"time", "pop"};
  static const char* const kTemps[] = {"station", "name", "todayMax", "tomorrowMin", "tomorrowMax"};
  static const char* const kDay[] = {"date",     "weatherCode", "pop", "reliability", "min",
                                     "minUpper", "minLower",    "max", "maxUpper",    "maxLower"};
  static const char* const kReport[] = {"reportDatetime"};
  static const char* const kWeek[] = {"area", "station"};
  const char* const report[] = {forecast.reportDatetime};
  out.print('{');
  printFields(out, kReport, report, 1);
  out.print(",\"days\":[");
  for (uint8_t i = 0; i < forecast.timeCount; i++) {
    const parcelo::ForecastTime& t = forecast.times[i];
    const char* const texts[] = {t.time, t.weatherCode, t.weather, t.wind, t.waves};
    out.print(i > 0 ? ",{" : "{");
    printFields(out, kTime, texts, 5);
    out.print('}');
  }
  out.print("],\"pops\":[");
  for (uint8_t i = 0; i < forecast.popCount; i++) {
    const char* const texts[] = {forecast.pops[i].time, forecast.pops[i].pop};
    out.print(i > 0 ? ",{" : "{");
    printFields(out, kPop, texts, 2);
    out.print('}');
  }
  const char* const temps[] = {forecast.station, forecast.stationName, forecast.todayMax,
                               forecast.tomorrowMin, forecast.tomorrowMax};
  out.print("],\"temps\":{");
  printFields(out, kTemps, temps, 5);
  const char* const week[] = {forecast.weekArea, forecast.weekStation};
  out.print("},\"week\":{");
  printFields(out, kWeek, week, 2);
  out.print(",\"days\":[");
  for (uint8_t i = 0; forecast.weekArea[0] != '\0' && i < forecast.dayCount; i++) {
    const parcelo::ForecastDay& d = forecast.days[i];
    const char* const texts[] = {d.date,     d.weatherCode, d.pop, d.reliability, d.min,
                                 d.minUpper, d.minLower,    d.max, d.maxUpper,    d.maxLower};
    out.print(i > 0 ? ",{" : "{");
    printFields(out, kDay, texts, 10);
    out.print('}');
  }
  out.print("]}}");
}
