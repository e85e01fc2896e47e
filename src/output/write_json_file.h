#ifndef PARCELO_OUTPUT_WRITE_JSON_FILE_H_
#define PARCELO_OUTPUT_WRITE_JSON_FILE_H_

#include <nlohmann/json.hpp>
#include <string>

namespace parcelo {

// Returns `value` as the files hold it: indented by four spaces, keys in ascending order,
// non-ASCII characters as their UTF-8 bytes, no line end after the last character. Throws the
// library's type_error 316 for a string that is not valid UTF-8.
std::string serialise(const nlohmann::json& value);

// Writes `value` to the file at `path` (created or replaced, never a folder, never through a
// symbolic link standing at `path`) as UTF-8 JSON indented by four spaces, without a line end
// after the last character, then reports the path on standard output. Returns true when the
// file is written and closed. On failure reports "cannot open" or "cannot write" on standard
// error, prints no report line and returns false; a file that could not be written whole is
// removed.
bool write_json_file(const std::string& path, const nlohmann::json& value);

}  // namespace parcelo

#endif  // PARCELO_OUTPUT_WRITE_JSON_FILE_H_
