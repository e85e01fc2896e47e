#include "area/area_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace parcelo {
namespace {

using testing::malformed_detail;

const std::string kFallback(kFallbackName);

TEST(FallbackName, IsTheUtf8BytesOfFumei) {
  EXPECT_EQ(kFallback, "\xE4\xB8\x8D\xE6\x98\x8E");
  EXPECT_EQ(kFallback, "不明");
}

TEST(LookupName, ResolvesOrFallsBack) {
  static const struct {
    const char* table;
    const char* code;
    std::string want;
  } cases[] = {
      {R"({"110000": {"name": "東部"}})", "110000", "東部"},
      {R"({"110000": {"name": "東部"}})", "120000", kFallback},
      {R"({"110000": {"name": "東部"}})", "0110000", kFallback},  // leading zero
      {R"({"110000": {"name": "東部"}})", " 110000", kFallback},  // blank
      {R"({"a1": {"name": "x"}})", "A1", kFallback},              // letter case
      {R"({"110000": {"name": ""}})", "110000", ""},              // empty name is kept
      {R"({"110000": {"children": []}})", "110000", kFallback},   // no "name"
      {R"({"1": {"name": "a/b", "extra": 1}})", "1", "a/b"},
      {R"({})", "110000", kFallback},
      {R"(null)", "110000", kFallback},  // absent table
      {R"([{"name": "x"}])", "0", kFallback},
      {R"("110000")", "110000", kFallback},
      {R"(42)", "110000", kFallback},
      {R"(true)", "110000", kFallback},
  };
  for (const auto& c : cases) {
    const json table = json::parse(c.table);
    const json before = table;
    EXPECT_EQ(lookup_name({"offices", table}, c.code), c.want) << c.table << " " << c.code;
    EXPECT_EQ(table, before) << "the lookup changed " << c.table;
  }
}

TEST(LookupName, RejectsRecordsItCannotRead) {
  static const struct {
    const char* table;
    const char* detail;
  } cases[] = {
      {R"({"1": "東部"})", R"(offices "1": the record is a string, not an object)"},
      {R"({"1": null})", R"(offices "1": the record is null, not an object)"},
      {R"({"1": ["x"]})", R"(offices "1": the record is an array, not an object)"},
      {R"({"1": {"name": 7}})", R"(offices "1": "name" is a number, not a string)"},
      {R"({"1": {"name": null}})", R"(offices "1": "name" is null, not a string)"},
      {R"({"1": {"name": {"ja": "x"}}})", R"(offices "1": "name" is an object, not a string)"},
  };
  for (const auto& c : cases) {
    const json table = json::parse(c.table);
    EXPECT_EQ(malformed_detail([&] { lookup_name({"offices", table}, "1"); }), c.detail);
  }
}

TEST(HasRequiredTables, NeedsBothCentresAndOffices) {
  static const struct {
    const char* document;
    bool want;
  } cases[] = {
      {R"({"centers": {}, "offices": {}})", true},
      {R"({"centers": null, "offices": 5})", true},  // types are looked at later
      {R"({"centers": {}})", false},
      {R"({"offices": {}})", false},
      {R"({"Centers": {}, "offices": {}})", false},
      {R"([{"centers": {}, "offices": {}}])", false},
      {R"("centers")", false},
      {R"(null)", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(has_required_tables(json::parse(c.document)), c.want) << c.document;
  }
}

TEST(TakeAreaTables, RefersIntoTheDocumentAndNullForAbsentTables) {
  const json document = json::parse(R"({"centers": {"a": 1}, "offices": [], "class15s": "x"})");
  const AreaTables tables = area_tables_of(document);
  EXPECT_EQ(&tables.centers.records, &document["centers"]);
  EXPECT_EQ(&tables.offices.records, &document["offices"]);
  EXPECT_EQ(&tables.class15s.records, &document["class15s"]);
  EXPECT_TRUE(tables.class10s.records.is_null());
  EXPECT_TRUE(tables.class20s.records.is_null());
  EXPECT_EQ(tables.class20s.key, "class20s");
  EXPECT_EQ(document.size(), 3u);
}

TEST(RecordsOf, WalksObjectsAndNothingElse) {
  static const struct {
    const char* table;
    std::vector<std::string> want_codes;
    std::string detail;  // set when the table must be rejected
  } cases[] = {
      {R"({"9": {}, "10": {}, "010": {}})", {"010", "10", "9"}, ""},
      {R"({"11": {}, "1": {}, "2": {}})", {"1", "11", "2"}, ""},  // a prefix comes first
      {R"({})", {}, ""},
      {R"(null)", {}, ""},
      {R"([])", {}, ""},
      {R"([{"name": "x"}])", {}, "centers: an array, not an object of records"},
      {R"("x")", {}, "centers: a string, not an object of records"},
      {R"(0)", {}, "centers: a number, not an object of records"},
      {R"(false)", {}, "centers: a boolean, not an object of records"},
  };
  for (const auto& c : cases) {
    const json table = json::parse(c.table);
    std::vector<std::string> codes;
    EXPECT_EQ(malformed_detail([&] {
                for (const auto& [code, record] : records_of({"centers", table}).items()) {
                  codes.push_back(code);
                }
              }),
              c.detail)
        << c.table;
    EXPECT_EQ(codes, c.want_codes) << c.table;
  }
}

TEST(ForEachChild, WalksEveryShapeOfChildren) {
  static const struct {
    const char* record;
    std::vector<std::string> want;
    std::string detail;  // set when the record must be rejected
  } cases[] = {
      {R"({"children": ["b", "a", "b"]})", {"b", "a", "b"}, ""},  // list order, duplicates
      {R"({"children": []})", {}, ""},
      {R"({"children": null})", {}, ""},
      {R"({"name": "no children"})", {}, ""},
      {R"({"children": "a"})", {"a"}, ""},
      {R"({"children": {"y": "2", "x": "1"}})", {"1", "2"}, ""},
      {R"({"children": ["a", 1]})", {}, R"(class10s "c": a child code is a number, not a string)"},
      {R"({"children": [null]})", {}, R"(class10s "c": a child code is null, not a string)"},
      {R"({"children": 5})", {}, R"(class10s "c": a child code is a number, not a string)"},
      {R"({"children": true})", {}, R"(class10s "c": a child code is a boolean, not a string)"},
  };
  for (const auto& c : cases) {
    const json record = json::parse(c.record);
    const json table;
    std::vector<std::string> seen;
    EXPECT_EQ(malformed_detail([&] {
                for_each_child({"class10s", table}, "c", record,
                               [&](const std::string& code) { seen.push_back(code); });
              }),
              c.detail)
        << c.record;
    if (c.detail.empty()) {
      EXPECT_EQ(seen, c.want) << c.record;
    }
  }
}

}  // namespace
}  // namespace parcelo
