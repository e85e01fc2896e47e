// Runs a sketch's setup() and one loop(), with the card's files in the folder REAL/parcelo and
// the serial port on standard input and output; then prints what its screen shows and, for a
// sketch that fetched, the request it sent.
// Usage: run_sketch REAL
#include <M5Unified.h>
#include <SD.h>

#include <cstdio>
#include <string>

void setup();
void loop();

#ifdef PARCELO_HTTPS
#include <WiFiClientSecure.h>
const std::string& sent() { return WiFiClientSecure::request; }
#else
const std::string& sent() {
  static const std::string nothing;
  return nothing;
}
#endif

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  SD.setRoot(argv[1]);
  setup();
  loop();
  fputs(M5.Display.text.c_str(), stdout);
  if (!sent().empty()) printf("--- request\n%s", sent().c_str());
  return 0;
}
