#include "output/write_json_file.h"

#include "output/serialise.h"

namespace parcelo {

platform::FileWrite write_json_file(platform::FileHost& host, platform::WriteRecord& record,
                                    const std::string& path, const nlohmann::json& value) {
  // Serialised before anything is created, so that a value that cannot be written leaves no file.
  return platform::write_whole_file(host, record, path, serialise(value));
}

}  // namespace parcelo
