// Stand-in for the ESP32 core's SD.h.
#pragma once

#include <FS.h>

namespace fs {

class SDFS : public FS {
 public:
  bool begin(uint8_t ssPin = 5) { return ssPin < 64; }
};

}  // namespace fs

extern fs::SDFS SD;
