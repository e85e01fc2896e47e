#include "output/office_file.h"

namespace parcelo {

json build_office_file(std::string_view office_code, const json& office, const AreaTables& tables) {
  json entries = json::array();
  for_each_child(tables.offices, office_code, office, [&](const std::string& class10_code) {
    const json* class10 = find_record(tables.class10s, class10_code);
    if (!class10) return;  // a class10 code without a record has no municipalities
    const std::string area_name = record_name(tables.class10s, class10_code, *class10);
    for_each_child(tables.class10s, class10_code, *class10, [&](const std::string& class15_code) {
      const json* class15 = find_record(tables.class15s, class15_code);
      if (!class15) return;
      for_each_child(tables.class15s, class15_code, *class15, [&](const std::string& city_code) {
        entries.push_back({{"areaname", area_name},
                           {"cityname", lookup_name(tables.class20s, city_code)},
                           {"code", class10_code}});
      });
    });
  });
  return entries;
}

bool is_safe_file_name(std::string_view code) {
  if (code.empty() || code == "." || code == "..") return false;
  for (const char c : code) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '/' || c == '\\' || c == ':') return false;
  }
  return true;
}

}  // namespace parcelo
