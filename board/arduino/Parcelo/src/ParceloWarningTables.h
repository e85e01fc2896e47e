// The agency's warning codes in flash, made by scripts/warning-tables.py: one record per code,
// "<code>|<level>|<phenomenon>|<Japanese>|<English>", for today's system (from 2026-05-29) and
// the one before.
#pragma once

#include <Arduino.h>

namespace parcelo {
namespace tables {

const size_t kWarningRecordSize = 112;  // the longest record and its NUL

extern const char* const kR8Codes[] PROGMEM;
extern const uint8_t kR8CodeCount;
extern const char* const kLegacyCodes[] PROGMEM;
extern const uint8_t kLegacyCodeCount;

}  // namespace tables
}  // namespace parcelo
