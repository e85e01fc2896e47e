// Stand-in for the ESP32 core's WiFiClientSecure: it connects only with a root certificate set,
// keeps the request, and answers with `response` (set by the test), one byte at a time.
#pragma once

#include <Arduino.h>
#include <stdio.h>

#include <string>

class WiFiClientSecure : public Stream {
 public:
  void setCACert(const char* certificates) { certificates_ = certificates; }
  int connect(const char* host, uint16_t port) {
    connected_ = certificates_ != nullptr && port == 443;
    request = std::string("CONNECT ") + host + "\n";
    return connected_;
  }
  void stop() { connected_ = false; }
  size_t write(uint8_t c) override {
    request += static_cast<char>(c);
    return 1;
  }
  template <typename... Args>
  size_t printf(const char* format, Args... args) {
    char line[256];
    int length = snprintf(line, sizeof line, format, args...);
    return length < 0 ? 0 : print(line);
  }
  int available() override { return connected_ ? static_cast<int>(response.size() - at_) : 0; }
  int read() override { return connected_ && at_ < response.size() ? response[at_++] & 0xFF : -1; }
  int peek() override { return connected_ && at_ < response.size() ? response[at_] & 0xFF : -1; }

  static std::string response;  // what the server sends, headers and body
  static std::string request;   // what the sketch sent

 private:
  const char* certificates_ = nullptr;
  bool connected_ = false;
  size_t at_ = 0;
};
