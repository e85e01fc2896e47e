#include "output/office_file.h"

#include <utility>

#include "output/centre_index.h"
#include "platform/platform.h"

namespace parcelo {

namespace {

const std::string kAreaName = "areaname";
const std::string kCityName = "cityname";
const std::string kCode = "code";

// Characters that leave the folder ("/", "\\", ":") or that Windows keeps out of file names,
// refused on every host so that one list gives the same files everywhere.
constexpr std::string_view kNotInFileNames = "/\\:<>\"|?*";

// Builds the entry member by member in key order: a third of the work of building it from an
// initializer list, which makes and then converts a temporary array per member.
json office_entry(const std::string& area_name, const std::string& city_name,
                  const std::string& code) {
  json entry(json::value_t::object);
  auto& members = entry.get_ref<json::object_t&>();
  members.emplace_hint(members.end(), kAreaName, area_name);
  members.emplace_hint(members.end(), kCityName, city_name);
  members.emplace_hint(members.end(), kCode, code);
  return entry;
}

// Gives an entry made by office_entry new values, in the memory its strings already have.
void overwrite_entry(json& entry, const std::string& area_name, const std::string& city_name,
                     const std::string& code) {
  auto member = entry.get_ref<json::object_t&>().begin();
  (member++)->second.get_ref<std::string&>() = area_name;
  (member++)->second.get_ref<std::string&>() = city_name;
  member->second.get_ref<std::string&>() = code;
}

}  // namespace

json build_office_file(std::string_view office_code, const json& office, const AreaTables& tables) {
  json file;
  build_office_file(office_code, office, tables, file);
  return file;
}

void build_office_file(std::string_view office_code, const json& office, const AreaTables& tables,
                       json& file) {
  if (!file.is_array()) file = json::array();
  auto& entries = file.get_ref<json::array_t&>();
  size_t count = 0;
  for_each_child(tables.offices, office_code, office, [&](const std::string& class10_code) {
    const json* class10 = find_record(tables.class10s, class10_code);
    if (!class10) return;  // a class10 code without a record has no municipalities
    const std::string& area_name = record_name(tables.class10s, class10_code, *class10);
    for_each_child(tables.class10s, class10_code, *class10, [&](const std::string& class15_code) {
      const json* class15 = find_record(tables.class15s, class15_code);
      if (!class15) return;
      for_each_child(tables.class15s, class15_code, *class15, [&](const std::string& city_code) {
        const std::string& city_name = lookup_name(tables.class20s, city_code);
        if (count < entries.size()) {
          overwrite_entry(entries[count], area_name, city_name, class10_code);
        } else {
          entries.push_back(office_entry(area_name, city_name, class10_code));
        }
        ++count;
      });
    });
  });
  entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(count), entries.end());
}

bool is_safe_file_name(std::string_view code) {
  if (code.empty() || code == "." || code == "..") return false;
  for (const char c : code) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || kNotInFileNames.find(c) != std::string_view::npos) {
      return false;
    }
  }
  return !platform::names_windows_device(code);
}

OfficeFiles::OfficeFiles(const AreaTables& tables)
    : tables_(tables),
      next_(records_of(tables.offices).begin()),
      end_(records_of(tables.offices).end()),
      names_{std::string(kCentreIndexName)} {}

bool OfficeFiles::next() {
  if (next_ == end_) return false;
  const auto at = next_++;
  code_ = at.key();
  const json& office = as_record(tables_.offices, code_, at.value());
  std::string folded(code_);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  refused_ = !is_safe_file_name(code_) || !names_.insert(std::move(folded)).second;
  if (!refused_) build_office_file(code_, office, tables_, file_);
  return true;
}

}  // namespace parcelo
