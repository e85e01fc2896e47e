// The forecast area of one municipality. Parcelo's files lie in /parcelo on the microSD card.
#include <M5Unified.h>
#include <Parcelo.h>
#include <SD.h>

parcelo::Files files(SD);

void setup() {
  M5.begin();
  M5.Display.setFont(&fonts::lgfxJapanGothic_16);
  SD.begin(4);  // the card's chip select on M5Stack Core, Core2 and CoreS3
  char code[parcelo::kCodeSize];  // a string, as the files hold it: "010000" is not 10000
  parcelo::Error error = files.areaCode("130000", "新宿区", code);
  if (error) {
    M5.Display.printf("Error: %s\n", error.c_str());
    return;
  }
  // "130010": show the area of forecast/130000.json whose area.code is "130010".
  M5.Display.printf("新宿区: %s\n", code);
}

void loop() {}
