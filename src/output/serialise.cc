#include "output/serialise.h"

namespace parcelo {

std::string serialise(const nlohmann::json& value) {
  return value.dump(4, ' ', false, nlohmann::json::error_handler_t::strict);
}

}  // namespace parcelo
