#ifndef PARCELO_AREA_AREA_TABLES_H_
#define PARCELO_AREA_AREA_TABLES_H_

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>

namespace parcelo {

using nlohmann::json;

// The name given to a code that its table has no record for (UTF-8 on every host).
inline constexpr std::string_view kFallbackName = "\xE4\xB8\x8D\xE6\x98\x8E";  // 不明

// One table of the agency's list: its key in the document ("centers", "offices", ...) and a
// read-only reference to the value stored under it (a null value when the list lacks it).
struct AreaTable {
  std::string_view key;
  const json& records;
};

// The five tables, taken once from the parsed document, which must outlive them.
struct AreaTables {
  AreaTable centers;
  AreaTable offices;
  AreaTable class10s;
  AreaTable class15s;
  AreaTable class20s;
};

// Thrown when the list has a shape the tool cannot read soundly: a walked table that is not a
// table, a record that is not an object, a "name" that is not a string, a child code that is not
// a string. what() is a short ASCII detail naming the table, the code and what is wrong.
class MalformedList : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Returns true when the document is an object holding both "centers" and "offices".
bool has_required_tables(const json& document);

// Returns the five tables of `document`, which refer into it. REQUIRES:
// has_required_tables(document).
AreaTables area_tables_of(const json& document);

// Returns the "name" of the record stored under `code`, or kFallbackName when the table is not
// an object, has no such record, or the record has no "name". The name stays in the document (or
// is the fallback, which lives as long as the program), so the caller copies it only where it
// goes into an output value. Never adds a member to the table. Throws MalformedList when the
// record is not an object or its "name" is not a string.
const std::string& lookup_name(const AreaTable& table, std::string_view code);

// Like lookup_name, for a record already in hand (one reached by walking its table).
const std::string& record_name(const AreaTable& table, std::string_view code, const json& record);

// Returns the record stored under `code`, or nullptr when the table is not an object or has no
// such record. Throws MalformedList when the record is not an object.
const json* find_record(const AreaTable& table, std::string_view code);

// Returns the records of a walked table ("centers", "offices"): the table itself when it is an
// object, no records when it is null or an empty array. Throws MalformedList for anything else.
// Iterating the result with items() visits the codes in ascending byte order.
const json& records_of(const AreaTable& table);

// Returns `value`, the record stored under `code` in `table`. Throws MalformedList when it is
// not an object.
const json& as_record(const AreaTable& table, std::string_view code, const json& value);

// Returns the error for what is wrong with the record under `code` in `table`, for instance
// `offices "270000": a child code is a number, not a string`.
MalformedList malformed_record(const AreaTable& table, std::string_view code,
                               std::string_view what);

// Returns `code` written as a JSON string, quoted and escaped, so that blanks and control
// characters stay visible in a message.
std::string quoted_code(std::string_view code);

// Returns a short English phrase for the kind of `value`: "a string", "an array", "null", ...
std::string kind_of(const json& value);

// Calls visit(child_code) for each child code of `record` (stored under `code` in `table`), in
// the order the list gives. "children" may be absent or null (no children), an array (its
// elements), an object (its member values, in key order) or a single value (itself, once).
// Throws MalformedList for a child that is not a string.
template <typename Visit>
void for_each_child(const AreaTable& table, std::string_view code, const json& record,
                    Visit&& visit) {
  const auto children = record.find(std::string_view("children"));
  if (children == record.end()) return;
  // Iterating a value walks an array's elements, an object's member values, nothing for null
  // and a single value once: the agency's lists always hold arrays here.
  for (const json& child : *children) {
    if (!child.is_string()) {
      throw malformed_record(table, code, "a child code is " + kind_of(child) + ", not a string");
    }
    visit(child.get_ref<const std::string&>());
  }
}

}  // namespace parcelo

#endif  // PARCELO_AREA_AREA_TABLES_H_
