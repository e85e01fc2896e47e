// The tables that the library holds in flash, made by scripts: one record a line, its fields
// separated by "|". ParceloTables.cpp (scripts/forecast-tables.py): one record per primary
// subdivision, "<class10>|<station>:<name>,...|<weekly area>=<station>:<name>,...", and one per
// weather code, "<code>|<day icon>|<night icon>|<Japanese>|<English>". ParceloWarningTables.cpp
// (scripts/warning-tables.py): one per warning code, "<code>|<level>|<phenomenon>|<Japanese>|
// <English>", for today's system (from 2026-05-29) and the one before. Also how to read them.
#pragma once

#include <Arduino.h>
#include <string.h>

namespace parcelo {
namespace tables {

const size_t kRecordSize = 160;  // the longest record and its NUL

extern const char* const kAreas[] PROGMEM;
extern const uint8_t kAreaCount;
extern const char* const kCodes[] PROGMEM;
extern const uint8_t kCodeCount;
extern const char* const kR8Codes[] PROGMEM;
extern const uint8_t kR8CodeCount;
extern const char* const kLegacyCodes[] PROGMEM;
extern const uint8_t kLegacyCodeCount;

// A piece of a record: `length` bytes at `at`, not NUL-terminated.
struct Span {
  const char* at;
  size_t length;
};

// The `n`th piece of `span` between `separator`s; empty past the last.
inline Span piece(Span span, char separator, uint8_t n) {
  const char* end = span.at + span.length;
  const char* start = span.at;
  for (; n > 0 && start < end; n--) {
    const char* next = static_cast<const char*>(memchr(start, separator, end - start));
    start = next == nullptr ? end : next + 1;
  }
  const char* stop = static_cast<const char*>(memchr(start, separator, end - start));
  return Span{start, static_cast<size_t>((stop == nullptr ? end : stop) - start)};
}

inline bool same(Span span, const char* text) {
  return span.length == strlen(text) && memcmp(span.at, text, span.length) == 0;
}

inline void copySpan(Span span, char* out, size_t size) {
  size_t length = span.length < size ? span.length : size - 1;
  memcpy(out, span.at, length);
  out[length] = '\0';
}

// Copies record `i` of a table in flash into `out` of `size` bytes.
inline void copyRecord(const char* const* table, uint8_t i, char* out, size_t size) {
  const char* text = reinterpret_cast<const char*>(pgm_read_ptr(&table[i]));
  strncpy_P(out, text, size - 1);
  out[size - 1] = '\0';
}

// The record of the table whose first field is `code`; "" and false where there is none.
inline bool findRecord(const char* const* table, uint8_t count, const char* code, char* out,
                       size_t size) {
  for (uint8_t i = 0; i < count; i++) {
    copyRecord(table, i, out, size);
    if (same(piece(Span{out, strlen(out)}, '|', 0), code)) return true;
  }
  out[0] = '\0';
  return false;
}

}  // namespace tables
}  // namespace parcelo
