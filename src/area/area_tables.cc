#include "area/area_tables.h"

namespace parcelo {

namespace {

// What an absent optional table refers to: it has no records.
const json kAbsentTable;
const std::string kFallback(kFallbackName);

const json& table_or_null(const json& document, std::string_view key) {
  const auto it = document.find(key);
  return it == document.end() ? kAbsentTable : *it;
}

}  // namespace

std::string quoted_code(std::string_view code) {
  return json(code).dump(-1, ' ', false, json::error_handler_t::replace);
}

bool has_required_tables(const json& document) {
  return document.contains("centers") && document.contains("offices");
}

AreaTables area_tables_of(const json& document) {
  return AreaTables{
      {"centers", table_or_null(document, "centers")},
      {"offices", table_or_null(document, "offices")},
      {"class10s", table_or_null(document, "class10s")},
      {"class15s", table_or_null(document, "class15s")},
      {"class20s", table_or_null(document, "class20s")},
  };
}

std::string kind_of(const json& value) {
  switch (value.type()) {
    case json::value_t::null:
      return "null";
    case json::value_t::object:
      return "an object";
    case json::value_t::array:
      return "an array";
    case json::value_t::string:
      return "a string";
    case json::value_t::boolean:
      return "a boolean";
    default:
      return "a number";
  }
}

MalformedList malformed_record(const AreaTable& table, std::string_view code,
                               std::string_view what) {
  std::string detail(table.key);
  detail.append(" ").append(quoted_code(code)).append(": ").append(what);
  return MalformedList(detail);
}

const json& records_of(const AreaTable& table) {
  static const json kNoRecords = json::object();
  const json& records = table.records;
  if (records.is_object()) return records;
  if (records.is_null() || (records.is_array() && records.empty())) return kNoRecords;
  std::string detail(table.key);
  detail.append(": ").append(kind_of(records)).append(", not an object of records");
  throw MalformedList(detail);
}

const json& as_record(const AreaTable& table, std::string_view code, const json& value) {
  if (value.is_object()) return value;
  throw malformed_record(table, code, "the record is " + kind_of(value) + ", not an object");
}

const json* find_record(const AreaTable& table, std::string_view code) {
  if (!table.records.is_object()) return nullptr;
  const auto it = table.records.find(code);
  return it == table.records.end() ? nullptr : &as_record(table, code, *it);
}

const std::string& record_name(const AreaTable& table, std::string_view code, const json& record) {
  const auto name = record.find(std::string_view("name"));
  if (name == record.end()) return kFallback;
  if (!name->is_string()) {
    throw malformed_record(table, code, "\"name\" is " + kind_of(*name) + ", not a string");
  }
  return name->get_ref<const std::string&>();
}

const std::string& lookup_name(const AreaTable& table, std::string_view code) {
  const json* record = find_record(table, code);
  return record ? record_name(table, code, *record) : kFallback;
}

}  // namespace parcelo
