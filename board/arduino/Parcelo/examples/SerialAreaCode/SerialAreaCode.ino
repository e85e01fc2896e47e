// The forecast area of one municipality, read from an office file sent over the serial port, on
// any Arduino board, an Uno among them: open the Serial Monitor at 115200 baud, or send the file
// with `stty -F /dev/ttyACM0 115200 raw && cat 130000.json > /dev/ttyACM0`.
#include <Parcelo.h>

const char kTown[] = "新宿区";

void setup() {
  Serial.begin(115200);
  Serial.println(F("Send an office file, such as 130000.json"));
}

void loop() {
  if (Serial.peek() < 0) return;  // nothing sent yet
  // Serial says -1 until the next byte comes: wait up to a second for each.
  char code[parcelo::kCodeSize];  // a string, as the files hold it: "010000" is not 10000
  parcelo::Error error = parcelo::readAreaCode(Serial, kTown, code, 1000);
  if (error) {
    Serial.print(F("Error: "));
    Serial.println(error.c_str());
  } else {
    // "130010": show the area of forecast/130000.json whose area.code is "130010".
    Serial.print(kTown);
    Serial.print(F(": "));
    Serial.println(code);
  }
  delay(100);
  while (Serial.read() >= 0) {
  }  // what came after the file
}
