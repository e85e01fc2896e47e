#include "output/write_json_file.h"

namespace parcelo {

std::string serialise(const nlohmann::json& value) {
  return value.dump(4, ' ', false, nlohmann::json::error_handler_t::strict);
}

platform::FileWrite write_json_file(const std::string& path, const nlohmann::json& value) {
  // Serialised before anything is created, so that a value that cannot be written leaves no file.
  return platform::write_whole_file(path, serialise(value));
}

}  // namespace parcelo
