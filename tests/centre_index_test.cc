#include "output/centre_index.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace parcelo {
namespace {

using testing::malformed_detail;

json build(const json& document) {
  const AreaTables tables = area_tables_of(document);
  return build_centre_index(tables.centers, tables.offices);
}

TEST(BuildCentreIndex, BuildsEntriesFromCentresAndOfficeNames) {
  static const struct {
    const char* name;
    const char* document;
    const char* want;
  } cases[] = {
      {"the worked example",
       R"({"centers": {"200000": {"name": "南地区", "children": []},
                       "100000": {"name": "北地区", "children": ["120000", "110000", "130000"]}},
           "offices": {"110000": {"name": "東部", "children": []},
                       "120000": {"name": "西部", "children": []}}})",
       R"({"100000": {"children": [{"code": "120000", "name": "西部"},
                                   {"code": "110000", "name": "東部"},
                                   {"code": "130000", "name": "不明"}], "name": "北地区"},
           "200000": {"children": [], "name": "南地区"}})"},
      {"duplicates and an empty name kept",
       R"({"centers": {"1": {"name": "", "children": ["7", "7"]}}, "offices": {"7": {"name": ""}}})",
       R"({"1": {"children": [{"code": "7", "name": ""}, {"code": "7", "name": ""}], "name": ""}})"},
      {"codes only in lower tables fall back",
       R"({"centers": {"1": {"name": "c", "children": ["7"]}}, "offices": {},
           "class10s": {"7": {"name": "x"}}, "class20s": {"7": {"name": "y"}}})",
       R"({"1": {"children": [{"code": "7", "name": "不明"}], "name": "c"}})"},
      {"offices not an object: every name falls back",
       R"({"centers": {"1": {"name": "c", "children": ["7"]}}, "offices": ["7"]})",
       R"({"1": {"children": [{"code": "7", "name": "不明"}], "name": "c"}})"},
      {"no name and no children", R"({"centers": {"1": {"enName": "x"}}, "offices": {}})",
       R"({"1": {"children": [], "name": "不明"}})"},
      {"children of other shapes",
       R"({"centers": {"1": {"name": "a", "children": null}, "2": {"name": "b", "children": "7"},
                       "3": {"name": "c", "children": {"y": "8", "x": "7"}}},
           "offices": {"7": {"name": "七"}}})",
       R"({"1": {"children": [], "name": "a"},
           "2": {"children": [{"code": "7", "name": "七"}], "name": "b"},
           "3": {"children": [{"code": "7", "name": "七"}, {"code": "8", "name": "不明"}],
                 "name": "c"}})"},
      {"empty centres table", R"({"centers": {}, "offices": {}})", "null"},
      {"null centres table", R"({"centers": null, "offices": {}})", "null"},
      {"empty array of centres", R"({"centers": [], "offices": {}})", "null"},
  };
  for (const auto& c : cases) {
    const json document = json::parse(c.document);
    const json before = document;
    EXPECT_EQ(build(document), json::parse(c.want)) << c.name;
    EXPECT_EQ(document, before) << c.name << ": the tables changed";
  }
}

TEST(BuildCentreIndex, KeepsCentresInByteOrderOfTheirCodes) {
  const json index = build(json::parse(
      R"({"centers": {"9": {"name": "a"}, "10": {"name": "b"}, "010": {"name": "c"}},
          "offices": {}})"));
  std::string order;
  for (const auto& [code, entry] : index.items()) order += code + " ";
  EXPECT_EQ(order, "010 10 9 ");
}

TEST(BuildCentreIndex, RejectsShapesItCannotRead) {
  static const struct {
    const char* document;
    const char* detail;
  } cases[] = {
      {R"({"centers": [{"name": "x"}], "offices": {}})",
       "centers: an array, not an object of records"},
      {R"({"centers": "010000", "offices": {}})", "centers: a string, not an object of records"},
      {R"({"centers": {"1": "x"}, "offices": {}})",
       R"(centers "1": the record is a string, not an object)"},
      {R"({"centers": {"1": {"name": 1, "children": []}}, "offices": {}})",
       R"(centers "1": "name" is a number, not a string)"},
      {R"({"centers": {"1": {"name": "c", "children": ["7", 7]}}, "offices": {}})",
       R"(centers "1": a child code is a number, not a string)"},
      {R"({"centers": {"1": {"name": "c", "children": ["7"]}}, "offices": {"7": []}})",
       R"(offices "7": the record is an array, not an object)"},
      {R"({"centers": {"1": {"name": "c", "children": ["7"]}}, "offices": {"7": {"name": false}}})",
       R"(offices "7": "name" is a boolean, not a string)"},
      {R"({"centers": {"a\tb": 5}, "offices": {}})",
       R"(centers "a\tb": the record is a number, not an object)"},
  };
  for (const auto& c : cases) {
    const json document = json::parse(c.document);
    EXPECT_EQ(malformed_detail([&] { build(document); }), c.detail) << c.document;
  }
}

}  // namespace
}  // namespace parcelo
