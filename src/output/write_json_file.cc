#include "output/write_json_file.h"

#include "output/console.h"

namespace parcelo {

std::string serialise(const nlohmann::json& value) {
  return value.dump(4, ' ', false, nlohmann::json::error_handler_t::strict);
}

platform::FileWrite write_json_file(const std::string& path, const nlohmann::json& value) {
  using platform::FileWrite;
  // Serialised before anything is created, so that a value that cannot be written leaves no file.
  const FileWrite result = platform::write_whole_file(path, serialise(value));
  if (result == FileWrite::kWritten) report_written(path);
  if (result == FileWrite::kCannotOpen) report_failure(kCannotOpenOutput);
  if (result == FileWrite::kCannotWrite) report_failure(kCannotWriteOutput);
  return result;
}

}  // namespace parcelo
