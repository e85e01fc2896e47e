// On a host, as on the ESP32, constants share one address space with the rest: avr-libc's
// flash reads become plain reads. With the number conversions of avr-libc's stdlib.h that the
// core's WString uses.
#pragma once

#include <stdint.h>
#include <string.h>

#define PROGMEM
#define PGM_P const char*
#define PSTR(s) (s)
#define pgm_read_byte(addr) (*reinterpret_cast<const uint8_t*>(addr))
#define pgm_read_word(addr) (*reinterpret_cast<const uint16_t*>(addr))
#define pgm_read_ptr(addr) (*reinterpret_cast<const void* const*>(addr))
#define strlen_P strlen
#define strcpy_P strcpy
#define strncpy_P strncpy
#define strcmp_P strcmp
#define memcpy_P memcpy

char* itoa(int value, char* text, int base);
char* utoa(unsigned value, char* text, int base);
char* ltoa(long value, char* text, int base);
char* ultoa(unsigned long value, char* text, int base);
char* dtostrf(double value, signed char width, unsigned char precision, char* text);
