// A Mega that holds a few of the agency's forecast documents in flash, for the simulator: for
// every primary subdivision each covers, it reads the document through the library and prints the
// answer as one line of JSON for the check to compare, with the time the reading took; then the
// most stack a reading needed, and stops. card.h and forecasts.h are made by flash_card.py.
#include <ParceloForecast.h>
#include <avr/sleep.h>

#include "flash.h"
#include "forecast_json.h"
#include "forecasts.h"

parcelo::Forecast forecast;  // 2.8 KB, kept off the stack

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
      printForecast(Serial, forecast);
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
