// The little of Arduino.h that the core's Print, Stream and WString need on a host, where the
// check compiles them: copied beside this file from Debian's arduino-core-avr at build time.
#pragma once

#include <math.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "Stream.h"
#include "WString.h"

// The serial port: standard input and output.
class HostSerial : public Stream {
 public:
  void begin(unsigned long) {}
  int available() override;
  int read() override;
  int peek() override;
  size_t write(uint8_t c) override;
};
extern HostSerial Serial;

unsigned long millis();
void delay(unsigned long milliseconds);
void yield();
