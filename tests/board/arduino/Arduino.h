// Stand-in for the Arduino core on the ESP32, for compiling and running board code on a host:
// only what ArduinoJson, the Parcelo library and its example use, as the ESP32 core has it.
#pragma once

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>

// The ESP32 keeps constants in the same address space: its pgmspace macros are plain reads.
#define PROGMEM
#define PSTR(s) (s)
#define F(s) (reinterpret_cast<const __FlashStringHelper*>(s))
#define pgm_read_byte(addr) (*reinterpret_cast<const uint8_t*>(addr))
#define pgm_read_dword(addr) (*reinterpret_cast<const uint32_t*>(addr))
#define pgm_read_float(addr) (*reinterpret_cast<const float*>(addr))
#define pgm_read_double(addr) (*reinterpret_cast<const double*>(addr))
#define pgm_read_ptr(addr) (*reinterpret_cast<const void* const*>(addr))
#define memcpy_P memcpy
#define memcmp_P memcmp
#define strlen_P strlen
#define strcmp_P strcmp
#define strncmp_P strncmp

class __FlashStringHelper;

class String {
 public:
  String(const char* text = "") : text_(text != nullptr ? text : "") {}
  const char* c_str() const { return text_.c_str(); }
  unsigned int length() const { return static_cast<unsigned int>(text_.size()); }
  bool concat(const char* text) {
    text_ += text;
    return true;
  }
  bool operator==(const char* text) const { return text_ == text; }
  String& operator+=(const char* text) {
    text_ += text;
    return *this;
  }
  friend String operator+(const String& a, const char* b) {
    String sum(a);
    sum += b;
    return sum;
  }

 private:
  std::string text_;
};

class Print {
 public:
  virtual ~Print() = default;
  virtual size_t write(uint8_t c) = 0;
  virtual size_t write(const uint8_t* buffer, size_t size) {
    size_t n = 0;
    while (n < size && write(buffer[n]) == 1) n++;
    return n;
  }
  size_t print(const char* text) {
    return write(reinterpret_cast<const uint8_t*>(text), strlen(text));
  }
  size_t print(const String& text) { return print(text.c_str()); }
  size_t println(const char* text = "") { return print(text) + print("\n"); }
  size_t println(const String& text) { return println(text.c_str()); }
  template <typename... Args>
  size_t printf(const char* format, Args... args) {
    char line[256];
    int length = snprintf(line, sizeof line, format, args...);
    return length < 0 ? 0 : print(line);
  }
};

class Printable {
 public:
  virtual ~Printable() = default;
  virtual size_t printTo(Print& print) const = 0;
};

class Stream : public Print {
 public:
  virtual int available() = 0;
  virtual int read() = 0;
  virtual int peek() = 0;
  // The ESP32's File reads without the serial timeout that Stream's own readBytes waits for.
  virtual size_t readBytes(char* buffer, size_t length) {
    size_t n = 0;
    for (int c; n < length && (c = read()) >= 0; n++) buffer[n] = static_cast<char>(c);
    return n;
  }
};

void delay(unsigned long milliseconds);
