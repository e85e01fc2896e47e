#include "output/write_json_file.h"

#include <cstdio>

#include "output/console.h"
#include "platform/platform.h"

namespace parcelo {

std::string serialise(const nlohmann::json& value) {
  return value.dump(4, ' ', false, nlohmann::json::error_handler_t::strict);
}

bool write_json_file(const std::string& path, const nlohmann::json& value) {
  // Serialised before the file is opened, so that a value that cannot be written leaves no file.
  const std::string text = serialise(value);
  std::FILE* file = platform::open_for_writing(path);  // text mode: created or truncated
  if (file == nullptr) {
    report_failure(kCannotOpenOutput);
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  // A full disk often shows only when the buffer is flushed on closing. A part of a file, or
  // an empty one, must not be left for a board to take as whole.
  if (std::fclose(file) != 0 || !written) {
    platform::remove_file(path);
    report_failure(kCannotWriteOutput);
    return false;
  }
  report_written(path);
  return true;
}

}  // namespace parcelo
