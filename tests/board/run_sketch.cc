// Runs a sketch's setup() and one loop(), with the card's files in the folder REAL/parcelo and
// the serial port on standard input and output; then prints what its screen shows and, for a
// sketch that fetched, the requests it sent. With PARCELO_FETCHES=n, loop() runs until the
// sketch has asked for the forecast n times (or 30 s have passed).
// Usage: run_sketch REAL
#include <M5Unified.h>
#include <SD.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

void setup();
void loop();

#ifdef PARCELO_HTTPS
#include <WiFiClientSecure.h>
const std::string& sent() { return WiFiClientSecure::request; }
// The forecast's requests among them.
int connects() {
  int count = 0;
  const std::string& sent = WiFiClientSecure::request;
  for (size_t at = 0; (at = sent.find("GET /bosai/forecast/", at)) != std::string::npos; at++)
    count++;
  return count;
}
#else
const std::string& sent() {
  static const std::string nothing;
  return nothing;
}
int connects() { return 0; }
#endif

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  SD.setRoot(argv[1]);
  setup();
  loop();
  const char* fetches = getenv("PARCELO_FETCHES");
  for (time_t end = time(nullptr) + 30; fetches != nullptr && connects() < atoi(fetches);) {
    if (time(nullptr) > end) return 1;
    loop();
  }
  fputs(M5.Display.text.c_str(), stdout);
  if (!sent().empty()) printf("--- request\n%s", sent().c_str());
  return 0;
}
