// Arbitrary bytes as the area-code list.

#include <cstddef>
#include <cstdint>
#include <string>

#include "pipeline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  parcelo::fuzz::run_pipeline(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
