// Arbitrary bytes as the area-code list.

#include <cstddef>
#include <cstdint>
#include <string>

#include "run_in_memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  parcelo::fuzz::run_in_memory(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
