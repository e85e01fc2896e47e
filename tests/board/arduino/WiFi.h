// Stand-in for the ESP32 core's WiFi.h, connected at once; with the core's clock calls, which the
// ESP32's Arduino.h declares: the clock is never set here.
#pragma once

#include <Arduino.h>
#include <time.h>

enum { WL_CONNECTED = 3 };

class WiFiClass {
 public:
  void begin(const char*, const char*) {}
  int status() const { return WL_CONNECTED; }
};
extern WiFiClass WiFi;

void configTime(long offset, int daylight, const char* server1, const char* server2 = nullptr);
bool getLocalTime(struct tm* info, uint32_t milliseconds = 5000);
