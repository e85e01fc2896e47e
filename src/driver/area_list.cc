#include "driver/area_list.h"

namespace parcelo {

Outcome parse_area_list(std::istream& input, json& document) {
  try {
    input >> document;
  } catch (const json::parse_error& e) {
    return Failure{kParseError, e.what()};
  } catch (const json::out_of_range& e) {  // a number too large for a double
    return Failure{kParseError, e.what()};
  }
  if (!has_required_tables(document)) return Failure{kMissingTables, {}};
  return std::nullopt;
}

}  // namespace parcelo
