// Whole-process runs under the faults a user's machine can throw at the tool: huge and deeply
// nested input, and memory running out. (Open and write failures are in run_test.cc.)

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace parcelo::testing {
namespace {

// Returns `list` repeated `copies` times, with "_<copy>" after every code, so that every copy
// keeps the shape of the original and writes its own files.
json scaled(const json& list, int copies) {
  json result = json::object();
  for (int copy = 0; copy < copies; ++copy) {
    const std::string suffix = "_" + std::to_string(copy);
    for (const auto& [key, table] : list.items()) {
      for (const auto& [code, record] : table.items()) {
        json renamed = record;
        if (renamed.contains("children")) {
          for (json& child : renamed["children"]) child = child.get<std::string>() + suffix;
        }
        result[key][code + suffix] = std::move(renamed);
      }
    }
  }
  return result;
}

// Returns an office file of the original list as the same office's file in copy `suffix`.
std::string with_suffix(const std::string& file, const std::string& suffix) {
  json entries = json::parse(file);
  for (json& entry : entries) entry["code"] = entry["code"].get<std::string>() + suffix;
  return entries.dump(4, ' ', false);
}

TEST(LargeInput, WritesEveryCopyOfAHundredMegabyteList) {
  const bool real = !real_list_path().empty();
  const std::string original = real ? real_list_path() : sample_list_path();
  TempDir dir;
  const std::string out_one = dir / "one";
  const std::string out_all = dir / "all";
  std::filesystem::create_directory(out_one);
  std::filesystem::create_directory(out_all);
  ASSERT_EQ(run_parcelo({original, out_one}).status, 0);

  const json list = json::parse(read_file(original));
  const int copies = real ? 400 : 50000;
  const std::string text = scaled(list, copies).dump();
  ASSERT_GE(text.size(), 100u << 20);
  write_file(dir / "large.json", text);
  const ProcessResult r = run_parcelo({dir / "large.json", out_all});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");

  const std::vector<std::string> files = list_folder(out_one);
  EXPECT_EQ(list_folder(out_all).size(), (files.size() - 1) * copies + 1);
  for (const int copy : {0, copies / 2, copies - 1}) {
    const std::string suffix = "_" + std::to_string(copy);
    for (const std::string& name : files) {
      if (name == "centers.json") continue;
      const std::string office = name.substr(0, name.size() - 5);
      ASSERT_EQ(read_file(out_all + "/" + office + suffix + ".json"),
                with_suffix(read_file(out_one + "/" + name), suffix))
          << name << suffix;
    }
  }
  EXPECT_EQ(json::parse(read_file(out_all + "/centers.json")).size(),
            json::parse(read_file(out_one + "/centers.json")).size() * copies);
}

TEST(DeepNesting, IsReadWithoutRecursionLimits) {
  const std::string open(100000, '['), close(100000, ']');
  static const struct {
    const char* name;
    std::string list;
    int status;
    std::string err;  // a prefix of standard error
    std::vector<std::string> files;
  } cases[] = {
      {"well formed, beside the tables",
       R"({"centers": {}, "offices": {"1": {"deep": )" + open + close + "}}}",
       0,
       "",
       {"1.json", "centers.json"}},
      {"well formed, as a child code",
       R"({"centers": {"1": {"name": "a", "children": [)" + open + close + "]}}, \"offices\": {}}",
       1,
       "エリアコード一覧の形式が正しくありません: centers \"1\": a child code is an array, not a "
       "string\n",
       {}},
      {"cut off",
       R"({"centers": {}, "offices": {}, "deep": )" + open,
       1,
       "JSON パースエラー: [json.exception.parse_error.101] ",
       {}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    write_file(dir / "in.json", c.list);
    std::filesystem::create_directory(dir / "out");
    const ProcessResult r = run_parcelo({dir / "in.json", dir / "out"});
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << c.name;
    EXPECT_EQ(list_folder(dir / "out"), c.files) << c.name;
  }
}

// A list of about 27 MB: half a million municipalities under one office.
std::string large_list() {
  std::string list =
      R"({"centers": {}, "offices": {"1": {"children": ["10"]}},)"
      R"("class10s": {"10": {"children": ["15"]}}, "class15s": {"15": {"children": [)";
  std::string cities;
  for (int i = 0; i < 500000; ++i) {
    const std::string code = std::to_string(1000000 + i);
    list += (i ? ",\"" : "\"") + code + "\"";
    cities += (i ? ",\"" : "\"") + code + R"(": {"name": "市町村)" + code + "\"}";
  }
  return list + "]}}, \"class20s\": {" + cities + "}}";
}

TEST(OutOfMemory, EndsWithAMessageNotACrash) {
#ifdef PARCELO_SANITIZED
  GTEST_SKIP() << "a sanitizer's shadow memory does not fit under an address-space limit";
#endif
  TempDir dir;
  write_file(dir / "in.json", large_list());
  const ProcessResult r = run_parcelo({dir / "in.json", dir.path()}, {100L << 20});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, start_up_text());
  EXPECT_EQ(r.err, "メモリが不足しています。\n");
  EXPECT_EQ(list_folder(dir.path()), std::vector<std::string>{"in.json"});
}

}  // namespace
}  // namespace parcelo::testing
