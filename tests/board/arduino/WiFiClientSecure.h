// Stand-in for the ESP32 core's WiFiClientSecure, with real TLS (OpenSSL) underneath: it
// connects to the test's HTTPS server on this machine (PARCELO_HTTPS_PORT), checks the server's
// chain and name against the roots the sketch gives it, and reads as the core does: -1 while no
// byte has come, connected() false once the server has closed and nothing is left.
// The agency's real chain cannot be reached here, so the roots trusted are the sketch's and the
// test's own root (the file PARCELO_TEST_ROOT), under which the server's chain is made.
#pragma once

#include <Client.h>

#include <string>

class WiFiClientSecure : public Client {
 public:
  WiFiClientSecure() = default;
  WiFiClientSecure(const WiFiClientSecure&) = delete;
  WiFiClientSecure& operator=(const WiFiClientSecure&) = delete;
  ~WiFiClientSecure() { stop(); }

  void setCACert(const char* certificates) { certificates_ = certificates; }
  int connect(IPAddress, uint16_t) override { return 0; }
  int connect(const char* host, uint16_t port) override;
  // The last error as mbedTLS numbers it: -0x2700 for a chain to no root given.
  int lastError(char* text, size_t size);
  size_t write(uint8_t c) override { return write(&c, 1); }
  size_t write(const uint8_t* buffer, size_t size) override;
  int available() override;
  int read() override;
  int read(uint8_t* buffer, size_t size) override;
  int peek() override;
  void flush() override {}
  void stop() override;
  uint8_t connected() override;
  operator bool() override { return tls_ != nullptr; }

  static std::string request;  // what the sketch sent, for the test, every connection's

 private:
  bool fill();  // reads what the server has sent, without waiting; false once it has closed

  const char* certificates_ = nullptr;
  void* context_ = nullptr;  // SSL_CTX
  void* tls_ = nullptr;      // SSL
  int socket_ = -1;
  int error_ = 0;
  bool closed_ = false;
  unsigned char buffer_[1024];
  size_t at_ = 0, end_ = 0;
};
