#ifndef PARCELO_OUTPUT_WRITE_JSON_FILE_H_
#define PARCELO_OUTPUT_WRITE_JSON_FILE_H_

#include <nlohmann/json.hpp>
#include <string>

namespace parcelo {

// Writes `value` to the file at `path` (created or replaced, never a folder) as UTF-8 JSON
// indented by four spaces, without a line end after the last character, then reports the path
// on standard output. Returns true when the file is written and closed. On failure reports
// "cannot open" or "cannot write" on standard error, prints no report line and returns false.
bool write_json_file(const std::string& path, const nlohmann::json& value);

}  // namespace parcelo

#endif  // PARCELO_OUTPUT_WRITE_JSON_FILE_H_
