#include "output/write_json_file.h"

#include <fstream>

#include "output/console.h"

namespace parcelo {

std::string serialise(const nlohmann::json& value) {
  return value.dump(4, ' ', false, nlohmann::json::error_handler_t::strict);
}

bool write_json_file(const std::string& path, const nlohmann::json& value) {
  // Serialised before the file is opened, so that a value that cannot be written leaves no file.
  const std::string text = serialise(value);
  std::ofstream file(path);
  if (!file.is_open()) {
    report_failure(kCannotOpenOutput);
    return false;
  }
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.close();  // a full disk often shows only here, when the buffer is flushed
  if (file.fail()) {
    report_failure(kCannotWriteOutput);
    return false;
  }
  report_written(path);
  return true;
}

}  // namespace parcelo
