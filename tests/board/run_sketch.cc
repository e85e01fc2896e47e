// Runs a sketch's setup() once, with the card's files in the folder REAL/parcelo, and prints
// what its screen then shows. Usage: run_sketch REAL
#include <M5Unified.h>
#include <SD.h>

#include <cstdio>

void setup();

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  SD.setRoot(argv[1]);
  setup();
  fputs(M5.Display.text.c_str(), stdout);
  return 0;
}
