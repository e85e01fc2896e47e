#include "output/centre_index.h"

#include <utility>

namespace parcelo {

json build_centre_index(const AreaTable& centers, const AreaTable& offices) {
  json index;  // the first centre turns it into an object; without centres it stays null
  for (const auto& [code, value] : records_of(centers).items()) {
    const json& record = as_record(centers, code, value);
    const std::string& name = record_name(centers, code, record);
    json children = json::array();
    for_each_child(centers, code, record, [&](const std::string& office_code) {
      children.push_back({{"code", office_code}, {"name", lookup_name(offices, office_code)}});
    });
    index[code] = {{"children", std::move(children)}, {"name", name}};
  }
  return index;
}

}  // namespace parcelo
