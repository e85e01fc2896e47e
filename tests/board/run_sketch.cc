// Runs a sketch's setup() and one loop(), with the card's files in the folder REAL/parcelo, the
// serial port on standard input and output, and RESPONSE (if given) as what an HTTPS server
// answers; then prints what its screen shows, and the request the sketch sent.
// Usage: run_sketch REAL [RESPONSE]
#include <M5Unified.h>
#include <SD.h>
#include <WiFiClientSecure.h>

#include <cstdio>
#include <fstream>
#include <sstream>

void setup();
void loop();

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) return 2;
  SD.setRoot(argv[1]);
  if (argc == 3) {
    std::stringstream response;
    response << std::ifstream(argv[2], std::ios::binary).rdbuf();
    WiFiClientSecure::response = response.str();
  }
  setup();
  loop();
  fputs(M5.Display.text.c_str(), stdout);
  if (argc == 3) printf("--- request\n%s", WiFiClientSecure::request.c_str());
  return 0;
}
