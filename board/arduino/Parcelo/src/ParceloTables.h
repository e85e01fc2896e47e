// The tables that ParceloTables.cpp holds in flash, made by scripts/forecast-tables.py: one
// record per primary subdivision, "<class10>|<station>:<name>,...|<weekly
// area>=<station>:<name>,...", and one per weather code, "<code>|<day icon>|<night
// icon>|<Japanese>|<English>".
#pragma once

#include <Arduino.h>

namespace parcelo {
namespace tables {

const size_t kRecordSize = 160;  // the longest record and its NUL

extern const char* const kAreas[] PROGMEM;
extern const uint8_t kAreaCount;
extern const char* const kCodes[] PROGMEM;
extern const uint8_t kCodeCount;

}  // namespace tables
}  // namespace parcelo
