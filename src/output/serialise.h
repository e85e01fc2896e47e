#ifndef PARCELO_OUTPUT_SERIALISE_H_
#define PARCELO_OUTPUT_SERIALISE_H_

#include <nlohmann/json.hpp>
#include <string>

namespace parcelo {

// Returns `value` as the files hold it: indented by four spaces, keys in ascending order,
// non-ASCII characters as their UTF-8 bytes, no line end after the last character. Throws the
// library's type_error 316 for a string that is not valid UTF-8.
std::string serialise(const nlohmann::json& value);

}  // namespace parcelo

#endif  // PARCELO_OUTPUT_SERIALISE_H_
