#include "output/office_file.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "test_support.h"

namespace parcelo {
namespace {

using testing::malformed_detail;
using testing::read_file;
using testing::test_data;

// Builds the file of `office` from the worked example with `patch` merged into its tables.
json build(const std::string& office, const char* patch) {
  json document = json::parse(read_file(test_data("office-example.json")));
  document.merge_patch(json::parse(patch));
  const AreaTables tables = area_tables_of(document);
  return build_office_file(office, tables.offices.records.at(office), tables);
}

json entry(const char* area, const char* city, const char* code) {
  return {{"areaname", area}, {"cityname", city}, {"code", code}};
}

TEST(BuildOfficeFile, WalksClass10sClass15sAndClass20sDepthFirst) {
  const json north_kou = entry("東部北", "甲町", "110010");
  static const struct {
    const char* name;
    const char* office;
    const char* patch;  // merged into the example
    json want;
  } cases[] = {
      {"the worked example", "110000", "{}",
       json::array({north_kou, entry("東部北", "乙村", "110010"), entry("東部北", "不明", "110010"),
                    north_kou})},
      {"nothing under the office", "120000", "{}", json::array()},
      {"a class10 listed twice", "110000",
       R"({"offices": {"110000": {"children": ["110010", "110020", "110010"]}},
           "class15s": {"110011": {"children": ["1100102"]}, "110012": null}})",
       json::array({entry("東部北", "乙村", "110010"), entry("東部北", "乙村", "110010")})},
      {"children a string, an object or absent", "110000",
       R"({"offices": {"110000": {"children": "110010"}},
           "class10s": {"110010": {"children": {"b": "110012", "a": "110011"}}},
           "class15s": {"110011": {"children": null}, "110012": {"children": "1100102"}}})",
       json::array({entry("東部北", "乙村", "110010")})},
      {"office without children", "110000", R"({"offices": {"110000": {"children": null}}})",
       json::array()},
      {"records without children", "110000",
       R"({"class10s": {"110020": null}, "class15s": {"110011": {"children": null}}})",
       json::array({entry("東部北", "不明", "110010"), north_kou})},
      {"class10 and class15 codes without records", "110000",
       R"({"offices": {"110000": {"children": ["119999", "110010"]}},
           "class10s": {"110010": {"children": ["119998", "110011"]}}})",
       json::array({north_kou, entry("東部北", "乙村", "110010")})},
      {"no class10s table", "110000", R"({"class10s": null})", json::array()},
      {"class10s not an object", "110000", R"({"class10s": ["110010"]})", json::array()},
      {"class15s not an object", "110000", R"({"class15s": "110011"})", json::array()},
      {"no class20s table", "110000", R"({"class20s": null, "class15s": {"110012": null}})",
       json::array({entry("東部北", "不明", "110010"), entry("東部北", "不明", "110010")})},
      {"class20s not an object", "110000", R"({"class20s": 7, "class15s": {"110012": null}})",
       json::array({entry("東部北", "不明", "110010"), entry("東部北", "不明", "110010")})},
      {"class10 without a name", "110000",
       R"({"class10s": {"110010": {"name": null}}, "class15s": {"110012": null}})",
       json::array({entry("不明", "甲町", "110010"), entry("不明", "乙村", "110010")})},
      {"class15 names are never read", "110000",
       R"({"class15s": {"110011": {"name": 5}, "110012": {"name": null}}})",
       json::array({north_kou, entry("東部北", "乙村", "110010"), entry("東部北", "不明", "110010"),
                    north_kou})},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(build(c.office, c.patch), c.want) << c.name;
  }
}

TEST(BuildOfficeFile, LeavesNothingOfTheFileItReuses) {
  json document = json::parse(read_file(test_data("office-example.json")));
  document.merge_patch(json::parse(R"({"offices": {"130000": {"children": ["110020", "110010"]}},
                                       "class15s": {"110021": {"children": ["1100102"]}}})"));
  const AreaTables tables = area_tables_of(document);
  json file = "not an array";
  for (const char* office : {"110000", "130000", "120000", "130000", "110000"}) {
    const json& record = document["offices"][office];
    build_office_file(office, record, tables, file);
    EXPECT_EQ(file, build_office_file(office, record, tables)) << office;
  }
  EXPECT_EQ(file.size(), 5u);
}

TEST(BuildOfficeFile, RejectsShapesItCannotRead) {
  static const struct {
    const char* patch;
    const char* detail;
  } cases[] = {
      {R"({"offices": {"110000": {"children": [110010]}}})",
       R"(offices "110000": a child code is a number, not a string)"},
      {R"({"class10s": {"110010": "東部北"}})",
       R"(class10s "110010": the record is a string, not an object)"},
      {R"({"class10s": {"110010": {"name": 1}}})",
       R"(class10s "110010": "name" is a number, not a string)"},
      {R"({"class10s": {"110010": {"children": [true]}}})",
       R"(class10s "110010": a child code is a boolean, not a string)"},
      {R"({"class15s": {"110011": ["1100101"]}})",
       R"(class15s "110011": the record is an array, not an object)"},
      {R"({"class15s": {"110011": {"children": [{}]}}})",
       R"(class15s "110011": a child code is an object, not a string)"},
      {R"({"class20s": {"1100101": 3}})",
       R"(class20s "1100101": the record is a number, not an object)"},
      {R"({"class20s": {"1100101": {"name": ["甲町"]}}})",
       R"(class20s "1100101": "name" is an array, not a string)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(malformed_detail([&] { build("110000", c.patch); }), c.detail) << c.patch;
  }
}

TEST(IsSafeFileName, RefusesNamesThatLeaveTheFolder) {
  static const struct {
    const char* code;
    bool safe;
  } cases[] = {
      {"130000", true}, {"東京", true},  {"a.b", true},  {"...", true},   {" ", true},
      {"", false},      {".", false},    {"..", false},  {"../x", false}, {"a/b", false},
      {"/", false},     {"a\\b", false}, {"C:", false},  {"a\nb", false}, {"\x1f", false},
      {"a\x7f", false}, {"\t", false},   {"a<b", false}, {"a>b", false},  {"\"", false},
      {"a|b", false},   {"?", false},    {"a*", false},  {"CON", false},  {"a.", true},
      {"a ", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(is_safe_file_name(c.code), c.safe) << json(c.code).dump();
  }
}

TEST(NamesWindowsDevice, KnowsTheReservedNamesInAnyCase) {
  static const struct {
    const char* code;
    bool device;
  } cases[] = {
      {"CON", true},        {"con", true},     {"Nul", true},      {"aux.x", true},
      {"PRN .a", true},     {"COM1", true},    {"lpt9", true},     {"com0", true},
      {"COM10", false},     {"LPT", false},    {"CONSOLE", false}, {"xCON", false},
      {".CON", false},      {"130000", false}, {"", false},        {"ＣＯＮ", false},
      {"CON.tar.gz", true}, {"nul.a.b", true}, {"COM¹", true},     {"lpt³ .x", true},
      {"COM⁴", false},      {"LPT12", false},  {"COM²", true},     {"LPT²", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::names_windows_device(c.code), c.device) << c.code;
  }
}

}  // namespace
}  // namespace parcelo
