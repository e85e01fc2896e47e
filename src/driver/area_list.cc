#include "driver/area_list.h"

namespace parcelo {

Outcome parse_area_list(std::istream& input, json& document) {
  try {
    input >> document;
  } catch (const json::parse_error& e) {
    // The parser read to the end of the text: it holds the start of a value, or nothing.
    return Failure{input.eof() ? FailureKind::kCutOff : FailureKind::kNotJson, e.what()};
  } catch (const json::out_of_range& e) {  // a number too large for a double
    return Failure{FailureKind::kNotJson, e.what()};
  }
  if (!has_required_tables(document)) return Failure{FailureKind::kMissingTables, {}};
  return std::nullopt;
}

}  // namespace parcelo
