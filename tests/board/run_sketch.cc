// Runs a sketch's setup() and one loop(), with the card's files in the folder REAL/parcelo and
// the serial port on standard input and output, then prints what its screen shows.
// Usage: run_sketch REAL
#include <M5Unified.h>
#include <SD.h>

#include <cstdio>

void setup();
void loop();

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  SD.setRoot(argv[1]);
  setup();
  loop();
  fputs(M5.Display.text.c_str(), stdout);
  return 0;
}
