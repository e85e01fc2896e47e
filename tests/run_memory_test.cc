// The run over a host in memory (FakeRun), as Linux's and as Windows's file system behave: the
// worked examples, every list it refuses and every office code it cannot write, with no process
// started. What only a real host shows runs the built binary (run_test.cc).

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fake_host.h"
#include "test_support.h"

namespace parcelo::testing {
namespace {

// The worked examples: two lists and the files they must give, byte for byte.
const std::string kCentreExample = read_file(test_data("centre-example.json"));
const std::string kCentreExampleFile = read_file(test_data("centre-example.centers.json"));
const std::string kOfficeExample = read_file(test_data("office-example.json"));
const std::string kOfficeExampleFile = read_file(test_data("office-example.110000.json"));

const std::string kStartUp = start_up_text("parcelo");

class RunInMemory : public ::testing::TestWithParam<const FakeHost::Behaviour*> {
 protected:
  FakeRun& host() { return *host_; }
  // A new host, for the next case of a table.
  FakeRun& fresh() {
    host_ = std::make_unique<FakeRun>(*GetParam());
    return *host_;
  }

 private:
  std::unique_ptr<FakeRun> host_ = std::make_unique<FakeRun>(*GetParam());
};

// The worked examples write the centre index and both offices' files, byte for byte.
TEST_P(RunInMemory, WritesTheWorkedExamplesByteForByte) {
  static const struct {
    const char* name;
    const std::string& list;
    std::vector<std::pair<std::string, std::string>> files;  // name, content
  } cases[] = {
      {"the centre index example",
       kCentreExample,
       {{"centers.json", kCentreExampleFile}, {"110000.json", "[]"}}},
      {"the office files example",
       kOfficeExample,
       {{"centers.json", "null"}, {"110000.json", kOfficeExampleFile}, {"120000.json", "[]"}}},
  };
  for (const auto& c : cases) {
    const ProcessResult r = fresh().run_list(c.list);
    EXPECT_EQ(r.status, 0) << c.name;
    EXPECT_EQ(r.err, "") << c.name;
    EXPECT_EQ(r.out, kStartUp + written_line("out/centers.json") + written_line("out/110000.json") +
                         written_line("out/120000.json"))
        << c.name;
    for (const auto& [file, content] : c.files) EXPECT_EQ(host().output(file), content) << file;
  }
}

TEST_P(RunInMemory, OrdersOfficesByBytesNotByNumbers) {
  const ProcessResult r =
      host().run_list(R"({"centers": {}, "offices": {"9": {}, "10": {}, "010": {}}})");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kStartUp + written_line("out/centers.json") + written_line("out/010.json") +
                       written_line("out/10.json") + written_line("out/9.json"));
}

TEST_P(RunInMemory, AcceptsAByteOrderMarkAndIgnoresTrailingText) {
  const ProcessResult r = host().run_list(
      "\xEF\xBB\xBF{\"centers\": {\"1\": {\"name\": \"a/b\"}}, \"offices\": null} trailing {");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(host().output("centers.json"),
            "{\n    \"1\": {\n        \"children\": [],\n"
            "        \"name\": \"a/b\"\n    }\n}");
  EXPECT_EQ(host().outputs(), std::vector<std::string>{"centers.json"});
}

TEST_P(RunInMemory, RefusesInputItCannotUse) {
  static const struct {
    const char* name;
    std::string list;
    const char* failure;  // the failure's name, which the page tells a person in its own words
    std::string err;      // a prefix of standard error when it ends in "[json.exception."
  } cases[] = {
      {"empty file", "", "cut-off", "JSON パースエラー: [json.exception.parse_error.101] "},
      {"only blanks", " \n\t ", "cut-off", "JSON パースエラー: [json.exception.parse_error.101] "},
      {"cut off in a string", R"({"centers": {"1": {"name": "東)", "cut-off",
       "JSON パースエラー: [json.exception.parse_error.101] "},
      {"not UTF-8", "{\"centers\": {}, \"offices\": {\"\xff\": {}}}", "not-json",
       "JSON パースエラー: [json.exception.parse_error.101] "},
      {"a comment", "// list\n{\"centers\": {}, \"offices\": {}}", "not-json",
       "JSON パースエラー: [json.exception.parse_error.101] "},
      {"a number too large", R"({"centers": {}, "offices": {}, "x": 1e999})", "not-json",
       "JSON パースエラー: [json.exception.out_of_range.406] number overflow parsing '1e999'\n"},
      {"root array", R"([{"centers": {}, "offices": {}}])", "missing-tables",
       "必要な 'centers' または 'offices' キーが見つかりません。\n"},
      {"no offices", R"({"centers": {}})", "missing-tables",
       "必要な 'centers' または 'offices' キーが見つかりません。\n"},
      {"no centres", R"({"offices": {}})", "missing-tables",
       "必要な 'centers' または 'offices' キーが見つかりません。\n"},
      {"a centre that is not a record", R"({"centers": {"010100": 1}, "offices": {}})",
       "malformed-list",
       "エリアコード一覧の形式が正しくありません: centers \"010100\": the record is a number, "
       "not an object\n"},
      {"a name that is not a string", R"({"centers": {"1": {"name": ["x"]}}, "offices": {}})",
       "malformed-list",
       "エリアコード一覧の形式が正しくありません: centers \"1\": \"name\" is an array, not a "
       "string\n"},
  };
  for (const auto& c : cases) {
    const ProcessResult r = fresh().run_list(c.list);
    EXPECT_EQ(host().failure(), c.failure) << c.name;
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_EQ(r.out, kStartUp) << c.name;
    if (c.err.back() == ' ') {
      EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << c.name << ": " << r.err;
      EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << c.name << ": " << r.err;
    } else {
      EXPECT_EQ(r.err, c.err) << c.name;
    }
    EXPECT_TRUE(host().outputs().empty()) << c.name;
  }
}

// A list that is a folder, a FIFO or a device is the real host's to answer (run_test.cc).
TEST_P(RunInMemory, ReportsAnInputItCannotOpen) {
  const ProcessResult r = host().run({"missing.json", "out"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, kStartUp);
  EXPECT_EQ(r.err, "ファイルを開けませんでした。\n");
  EXPECT_EQ(host().failure(), "cannot-open-input");
  EXPECT_TRUE(host().outputs().empty());
}

// One argument alone is --version or --help, or too few; with a folder after it, "--help" is the
// name of a list like any other.
TEST_P(RunInMemory, AnswersVersionAndHelpAloneElsePrintsTheUsage) {
  host().disk.put_file("in.json", kOfficeExample);
  const std::string version =
      "parcelo " PARCELO_VERSION "\nCopyright (c) 2026 Parcelo developers. MIT licence.\n";
  const std::string help = kStartUp + "\n引数:\n";
  static const struct {
    std::vector<std::string> args;
    int status;
    std::string out;  // a prefix of standard output
    std::string err;
  } cases[] = {
      {{}, 1, kStartUp, ""},
      {{"in.json"}, 1, kStartUp, ""},
      {{"--version"}, 0, version, ""},
      {{"-V"}, 0, version, ""},
      {{"--help"}, 0, help, ""},
      {{"-h"}, 0, help, ""},
      {{"--help", "out"}, 1, kStartUp, "ファイルを開けませんでした。\n"},
  };
  for (const auto& c : cases) {
    const ProcessResult r = host().run(c.args);
    const std::string shown = c.args.empty() ? "(none)" : c.args[0];
    EXPECT_EQ(r.status, c.status) << shown;
    EXPECT_EQ(r.out.substr(0, c.out.size()), c.out) << shown;
    EXPECT_EQ(r.err, c.err) << shown;
    if (c.out == version) {
      EXPECT_EQ(r.out, version) << shown;
    }
    if (c.out == help) {
      EXPECT_NE(r.out.find("https://www.jma.go.jp/bosai/common/const/area.json"),
                std::string::npos);
      EXPECT_NE(r.out.find("引数が足りないときは使い方の行だけ"), std::string::npos);
      const std::string last =
          "\n--version (-V) でバージョン、--help (-h) でこの説明を表示します。\n";
      EXPECT_EQ(r.out.substr(r.out.size() - std::min(r.out.size(), last.size())), last) << shown;
    }
  }
  EXPECT_TRUE(host().outputs().empty());
  const ProcessResult extra = host().run({"in.json", "out", "ignored", "too"});
  EXPECT_EQ(extra.status, 0);
  EXPECT_EQ(host().outputs().size(), 3u);
}

TEST_P(RunInMemory, StopsAtAnOfficeItCannotRead) {
  const ProcessResult r =
      host().run_list(R"({"centers": {}, "offices": {"1": {}, "2": {"children": [2]},
                                                             "3": {}}})");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, kStartUp + written_line("out/centers.json") + written_line("out/1.json"));
  EXPECT_EQ(
      r.err,
      "エリアコード一覧の形式が正しくありません: offices \"2\": a child code is a number, not "
      "a string\n");
  EXPECT_EQ(host().outputs(), (std::vector<std::string>{"1.json", "centers.json"}));

  const ProcessResult table = host().run_list(R"({"centers": {}, "offices": "110000"})");
  EXPECT_EQ(table.status, 1);
  EXPECT_EQ(table.err,
            "エリアコード一覧の形式が正しくありません: offices: a string, not an object of "
            "records\n");

  const ProcessResult record = host().run_list(R"({"centers": {}, "offices": {"1": 5}})");
  EXPECT_EQ(record.status, 1);
  EXPECT_EQ(record.err,
            "エリアコード一覧の形式が正しくありません: offices \"1\": the record is a number, not "
            "an object\n");

  // An office's record is read before its code is judged as a file name.
  const ProcessResult unsafe_record = host().run_list(R"({"centers": {}, "offices": {"a/b": 5}})");
  EXPECT_EQ(unsafe_record.err,
            "エリアコード一覧の形式が正しくありません: offices \"a/b\": the record is a number, "
            "not an object\n");
}

// A write that fails on an office that is not the last ends the run there: the offices after it
// are not written.
TEST_P(RunInMemory, StopsAtTheFirstOfficeItCannotWrite) {
  host().disk.put_other("out/110000.json");  // a folder where the first office's file goes
  const ProcessResult r = host().run_list(kOfficeExample);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, kStartUp + written_line("out/centers.json"));
  EXPECT_EQ(r.err, "出力ファイルを開けません。\n");
  EXPECT_EQ(host().failure(), "cannot-open-output");
  EXPECT_FALSE(host().disk.exists("out/120000.json"));
}

// Two offices whose names a file system folds into one (NTFS folds "Ä" and "ä"): the second
// would replace the first's file, which this run wrote, so it is refused as unsafe there.
TEST_P(RunInMemory, RefusesAnOfficeWhoseNameHoldsAFileThisRunWrote) {
  const ProcessResult r =
      host().run_list("{\"centers\": {}, \"offices\": {\"\xC3\x84\": {}, \"\xC3\xA4\": {}}}");
  if (GetParam()->case_blind) {
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ファイル名に使えない府県予報区コードです: \"\xC3\xA4\"\n");
    EXPECT_EQ(host().failure(), "unsafe-office-code");
    EXPECT_EQ(host().output("\xC3\x84.json"), "[]");
  } else {
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(host().outputs(),
              (std::vector<std::string>{"centers.json", "\xC3\x84.json", "\xC3\xA4.json"}));
  }
}

TEST_P(RunInMemory, RefusesOfficeCodesThatAreNotFileNames) {
  static const struct {
    const char* code;  // as written in the list
    const char* shown;
  } cases[] = {
      {"", R"("")"},
      {".", R"(".")"},
      {"..", R"("..")"},
      {"../x", R"("../x")"},
      {"a/b", R"("a/b")"},
      {"a\\\\b", R"("a\\b")"},
      {"c:", R"("c:")"},
      {"a\\u0001", R"("a\u0001")"},
      {"\\n", R"("\n")"},
      {"x\\u007f", "\"x\x7f\""},
      {"a<", R"("a<")"},
      {">", R"(">")"},
      {"\\\"", R"("\"")"},
      {"|", R"("|")"},
      {"a?", R"("a?")"},
      {"*", R"("*")"},
      {"CON", R"("CON")"},
      {"nul.tar", R"("nul.tar")"},
      {"com0", R"("com0")"},
      {"COM¹", R"("COM¹")"},
      {"LPT9 .x", R"("LPT9 .x")"},
      {"lpt³", R"("lpt³")"},
  };
  for (const auto& c : cases) {
    const ProcessResult r = fresh().run_list(
        std::string(R"({"centers": {}, "offices": {"0": {}, ")") + c.code + R"(": {}}})");
    EXPECT_EQ(r.status, 1) << c.shown;
    EXPECT_EQ(r.err, "ファイル名に使えない府県予報区コードです: " + std::string(c.shown) + "\n");
    // Offices are taken in byte order, so office "0" is written only when it comes first.
    const bool zero_first = json::parse(c.shown).get<std::string>() > "0";
    const std::vector<std::string> want = zero_first
                                              ? std::vector<std::string>{"0.json", "centers.json"}
                                              : std::vector<std::string>{"centers.json"};
    EXPECT_EQ(host().outputs(), want) << c.shown;
    // Nothing beside them: no temporary file, nothing outside the folder.
    EXPECT_EQ(host().disk.names().size(), want.size() + 1) << c.shown;
  }
}

// On a file system that ignores the case of ASCII letters, as Windows and macOS do by default,
// these offices' files would replace the centre index or an earlier office's file.
TEST_P(RunInMemory, RefusesOfficeCodesWhoseFileIsTakenAlready) {
  static const struct {
    const char* offices;
    const char* shown;
    std::vector<std::string> files;
  } cases[] = {
      {R"("centers": {})", R"("centers")", {"centers.json"}},
      {R"("0": {}, "CENTERS": {})", R"("CENTERS")", {"0.json", "centers.json"}},
      {R"("Ab": {}, "ab": {}, "b": {})", R"("ab")", {"Ab.json", "centers.json"}},
      {R"("Z": {}, "z": {})", R"("z")", {"Z.json", "centers.json"}},
  };
  for (const auto& c : cases) {
    fresh();
    const ProcessResult r =
        host().run_list(std::string(R"({"centers": {"1": {"name": "c", "children": [)") + c.shown +
                        "]}}, \"offices\": {" + c.offices + "}}");
    EXPECT_EQ(r.status, 1) << c.shown;
    EXPECT_EQ(r.err, "ファイル名に使えない府県予報区コードです: " + std::string(c.shown) + "\n");
    EXPECT_EQ(host().outputs(), c.files) << c.shown;
    EXPECT_NE(host().output("centers.json"), "[]") << c.shown;
  }
}

INSTANTIATE_TEST_SUITE_P(OnLinuxAndWindows, RunInMemory,
                         ::testing::Values(&FakeHost::kLinux, &FakeHost::kWindows),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
}  // namespace parcelo::testing
