// A Mega that holds a few of the agency's forecast documents in flash, for the simulator: for
// every primary subdivision each covers, it reads the document through the library and prints the
// answer as one line of JSON for the check to compare, with the time the reading took; then the
// most stack a reading needed, and stops. card.h and forecasts.h are made by flash_card.py.
#include <ParceloForecast.h>
#include <avr/sleep.h>

#include "flash.h"
#include "forecasts.h"

parcelo::Forecast forecast;  // 2.8 KB, kept off the stack

void printText(const char* key, const char* text, bool last = false) {
  Serial.print('"');
  Serial.print(key);
  Serial.print("\":\"");
  for (const char* c = text; *c != '\0'; c++) {
    if (*c == '"' || *c == '\\') Serial.print('\\');
    Serial.print(*c);
  }
  Serial.print(last ? "\"" : "\",");
}

void printForecast() {
  Serial.print("{");
  printText("reportDatetime", forecast.reportDatetime);
  Serial.print("\"days\":[");
  for (uint8_t i = 0; i < forecast.timeCount; i++) {
    const parcelo::ForecastTime& time = forecast.times[i];
    Serial.print(i > 0 ? ",{" : "{");
    printText("time", time.time);
    printText("weatherCode", time.weatherCode);
    printText("weather", time.weather);
    printText("wind", time.wind);
    printText("waves", time.waves, true);
    Serial.print('}');
  }
  Serial.print("],\"pops\":[");
  for (uint8_t i = 0; i < forecast.popCount; i++) {
    Serial.print(i > 0 ? ",{" : "{");
    printText("time", forecast.pops[i].time);
    printText("pop", forecast.pops[i].pop, true);
    Serial.print('}');
  }
  Serial.print("],\"temps\":{");
  printText("station", forecast.station);
  printText("name", forecast.stationName);
  printText("todayMax", forecast.todayMax);
  printText("tomorrowMin", forecast.tomorrowMin);
  printText("tomorrowMax", forecast.tomorrowMax, true);
  Serial.print("},\"week\":{");
  printText("area", forecast.weekArea);
  printText("station", forecast.weekStation);
  Serial.print("\"days\":[");
  for (uint8_t i = 0; forecast.weekArea[0] != '\0' && i < forecast.dayCount; i++) {
    const parcelo::ForecastDay& day = forecast.days[i];
    Serial.print(i > 0 ? ",{" : "{");
    printText("date", day.date);
    printText("weatherCode", day.weatherCode);
    printText("pop", day.pop);
    printText("reliability", day.reliability);
    printText("min", day.min);
    printText("minUpper", day.minUpper);
    printText("minLower", day.minLower);
    printText("max", day.max);
    printText("maxUpper", day.maxUpper);
    printText("maxLower", day.maxLower, true);
    Serial.print('}');
  }
  Serial.print("]}}");
}

Figures reading = {"readForecast", 0, 0};

void setup() {
  Serial.begin(1000000);
  for (const Question& question : kQuestions) {
    FlashFile document = card.open(question.file);
    parcelo::Error error;
    unsigned long took = 0;
    measure(reading, [&] {
      unsigned long start = micros();
      error = parcelo::readForecast(document, question.area, forecast);
      took = micros() - start;
    });
    Serial.print("F|");
    Serial.print(question.file + 1);
    Serial.print('|');
    Serial.print(question.area);
    Serial.print('|');
    Serial.print(took);
    Serial.print('|');
    if (error) {
      Serial.print(error.c_str());
    } else {
      printForecast();
    }
    Serial.print('\n');
  }
  Serial.print("S|readForecast|");
  Serial.print(reading.stack);
  Serial.print("|");
  Serial.print(reading.micros);
  Serial.print("\nD\n");
  Serial.flush();
  cli();
  sleep_enable();
  sleep_cpu();
}

void loop() {}
