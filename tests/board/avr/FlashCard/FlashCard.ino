// A Mega that holds Parcelo's files in flash, for the simulator: it reads every centre, office
// and municipality they hold through the library, prints them to Serial for the check to compare
// with the files, then the most stack and the longest time each call took, and stops.
#include <Parcelo.h>
#include <avr/sleep.h>

#include "flash.h"

parcelo::Files files(card, "");

void printField(const char* text) {
  Serial.print('|');
  Serial.print(text);
}

void printError(const char* call, const char* code, parcelo::Error error) {
  if (!error) return;
  Serial.print('E');
  printField(call);
  printField(code);
  printField(error.c_str());
  Serial.print('\n');
}

void setup() {
  Serial.begin(1000000);
  parcelo::Place centre;
  uint8_t centres = 0;
  printError("centers", "", files.centers([&](const parcelo::Place& place) {
    Serial.print('C');
    printField(place.code);
    printField(place.name);
    Serial.print('\n');
    centres++;
    return true;
  }));
  for (uint8_t i = 0; i < centres; i++) {
    uint8_t count = 0;
    files.centers([&](const parcelo::Place& place) {
      if (count++ == i) centre = place;
      return count <= i;
    });
    printError("offices", centre.code, files.offices(centre.code, [&](const parcelo::Place& office) {
      Serial.print('O');
      printField(centre.code);
      printField(office.code);
      printField(office.name);
      Serial.print('\n');
      parcelo::Municipality last;
      printError("municipalities", office.code,
                 files.municipalities(office.code, [&](const parcelo::Municipality& town) {
                   Serial.print('M');
                   printField(office.code);
                   printField(town.cityname);
                   printField(town.areaname);
                   printField(town.code);
                   Serial.print('\n');
                   last = town;
                   return true;
                 }));
      char code[parcelo::kCodeSize];
      printError("areaCode", office.code, files.areaCode(office.code, last.cityname, code));
      Serial.print('A');
      printField(office.code);
      printField(last.cityname);
      printField(code);
      Serial.print('\n');
      // The same calls again, measured, with visitors that keep nothing.
      measure(figures[2], [&] {
        files.municipalities(office.code, [](const parcelo::Municipality&) { return true; });
      });
      measure(figures[3], [&] { files.areaCode(office.code, last.cityname, code); });
      return true;
    }));
    measure(figures[1], [&] {
      files.offices(centre.code, [](const parcelo::Place&) { return true; });
    });
  }
  measure(figures[0], [] { files.centers([](const parcelo::Place&) { return true; }); });
  for (const Figures& figure : figures) {
    Serial.print('S');
    printField(figure.call);
    Serial.print('|');
    Serial.print(figure.stack);
    Serial.print('|');
    Serial.print(figure.micros);
    Serial.print('\n');
  }
  Serial.print("D\n");
  // Ends the simulation.
  Serial.flush();
  cli();
  sleep_enable();
  sleep_cpu();
}

void loop() {}
