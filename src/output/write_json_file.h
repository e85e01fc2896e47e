#ifndef PARCELO_OUTPUT_WRITE_JSON_FILE_H_
#define PARCELO_OUTPUT_WRITE_JSON_FILE_H_

#include <nlohmann/json.hpp>
#include <string>

#include "platform/file_host.h"

namespace parcelo {

// Writes `value` on `host` as the whole file at `path`, remembered in `record`
// (platform::write_whole_file: replaced by rename, never through a link, a FIFO, a device or a
// folder standing at `path`) as UTF-8 JSON indented by four spaces, without a line end after the
// last character, and returns how it went. Prints
// nothing: the run reports. Whatever fails, nothing is left at `path` or beside it (but as
// write_whole_file says). Throws the library's type_error 316 for a string that is not UTF-8.
platform::FileWrite write_json_file(platform::FileHost& host, platform::WriteRecord& record,
                                    const std::string& path, const nlohmann::json& value);

}  // namespace parcelo

#endif  // PARCELO_OUTPUT_WRITE_JSON_FILE_H_
