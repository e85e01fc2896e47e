// Whole-process tests: the built binary run in a temporary folder.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace parcelo::testing {
namespace {

namespace fs = std::filesystem;

// The worked examples: two lists and the files they must give, byte for byte.
const std::string kCentreExample = read_file(test_data("centre-example.json"));
const std::string kCentreExampleFile = read_file(test_data("centre-example.centers.json"));
const std::string kOfficeExample = read_file(test_data("office-example.json"));
const std::string kOfficeExampleFile = read_file(test_data("office-example.110000.json"));

const std::string kCannotOpenOutput = "出力ファイルを開けません。\n";
const std::string kCannotWriteOutput = "出力ファイルに書き込めません。\n";

// A temporary folder holding the input list "in.json" and the output folder "out".
class RunTest : public ::testing::Test {
 protected:
  RunTest() : input_(dir_ / "in.json"), out_(dir_ / "out") { fs::create_directory(out_); }

  ProcessResult run(const std::string& list) {
    write_file(input_, list);
    return run_parcelo({input_, out_});
  }
  std::string output(const std::string& name) const { return read_file(out_ + "/" + name); }
  std::vector<std::string> outputs() const { return list_folder(out_); }
  void clear_outputs() const {
    fs::remove_all(out_);
    fs::create_directory(out_);
  }

  TempDir dir_;
  const std::string input_;
  const std::string out_;
};

TEST_F(RunTest, WritesTheCentreIndexExampleByteForByte) {
  const ProcessResult r = run(kCentreExample);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, start_up_text() + written_line(out_ + "/centers.json") +
                       written_line(out_ + "/110000.json") + written_line(out_ + "/120000.json"));
  EXPECT_EQ(output("centers.json"), kCentreExampleFile);
  EXPECT_EQ(output("110000.json"), "[]");
}

TEST_F(RunTest, WritesTheOfficeExampleInByteOrderOfOfficeCodes) {
  const ProcessResult r = run(kOfficeExample);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, start_up_text() + written_line(out_ + "/centers.json") +
                       written_line(out_ + "/110000.json") + written_line(out_ + "/120000.json"));
  EXPECT_EQ(output("centers.json"), "null");
  EXPECT_EQ(output("110000.json"), kOfficeExampleFile);
  EXPECT_EQ(output("120000.json"), "[]");
}

TEST_F(RunTest, OrdersOfficesByBytesNotByNumbers) {
  const ProcessResult r = run(R"({"centers": {}, "offices": {"9": {}, "10": {}, "010": {}}})");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, start_up_text() + written_line(out_ + "/centers.json") +
                       written_line(out_ + "/010.json") + written_line(out_ + "/10.json") +
                       written_line(out_ + "/9.json"));
}

TEST_F(RunTest, AcceptsAByteOrderMarkAndIgnoresTrailingText) {
  const ProcessResult r =
      run("\xEF\xBB\xBF{\"centers\": {\"1\": {\"name\": \"a/b\"}}, \"offices\": null} trailing {");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(output("centers.json"),
            "{\n    \"1\": {\n        \"children\": [],\n"
            "        \"name\": \"a/b\"\n    }\n}");
  EXPECT_EQ(outputs(), std::vector<std::string>{"centers.json"});
}

TEST_F(RunTest, RefusesInputItCannotUse) {
  static const struct {
    const char* name;
    std::string list;
    std::string err;  // a prefix of standard error when it ends in "[json.exception."
  } cases[] = {
      {"empty file", "", "JSON パースエラー: [json.exception.parse_error.101] "},
      {"only blanks", " \n\t ", "JSON パースエラー: [json.exception.parse_error.101] "},
      {"cut off in a string", R"({"centers": {"1": {"name": "東)",
       "JSON パースエラー: [json.exception.parse_error.101] "},
      {"not UTF-8", "{\"centers\": {}, \"offices\": {\"\xff\": {}}}",
       "JSON パースエラー: [json.exception.parse_error.101] "},
      {"a comment", "// list\n{\"centers\": {}, \"offices\": {}}",
       "JSON パースエラー: [json.exception.parse_error.101] "},
      {"a number too large", R"({"centers": {}, "offices": {}, "x": 1e999})",
       "JSON パースエラー: [json.exception.out_of_range.406] number overflow parsing '1e999'\n"},
      {"root array", R"([{"centers": {}, "offices": {}}])",
       "必要な 'centers' または 'offices' キーが見つかりません。\n"},
      {"no offices", R"({"centers": {}})",
       "必要な 'centers' または 'offices' キーが見つかりません。\n"},
      {"no centres", R"({"offices": {}})",
       "必要な 'centers' または 'offices' キーが見つかりません。\n"},
      {"a centre that is not a record", R"({"centers": {"010100": 1}, "offices": {}})",
       "エリアコード一覧の形式が正しくありません: centers \"010100\": the record is a number, "
       "not an object\n"},
      {"a name that is not a string", R"({"centers": {"1": {"name": ["x"]}}, "offices": {}})",
       "エリアコード一覧の形式が正しくありません: centers \"1\": \"name\" is an array, not a "
       "string\n"},
  };
  for (const auto& c : cases) {
    const ProcessResult r = run(c.list);
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_EQ(r.out, start_up_text()) << c.name;
    if (c.err.back() == ' ') {
      EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << c.name << ": " << r.err;
      EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << c.name << ": " << r.err;
    } else {
      EXPECT_EQ(r.err, c.err) << c.name;
    }
    EXPECT_TRUE(outputs().empty()) << c.name;
  }
}

TEST_F(RunTest, ReportsAnInputItCannotOpen) {
  for (const std::string& input : {dir_ / "missing.json", out_}) {
    const ProcessResult r = run_parcelo({input, out_});
    EXPECT_EQ(r.status, 1) << input;
    EXPECT_EQ(r.out, start_up_text()) << input;
    EXPECT_EQ(r.err, "ファイルを開けませんでした。\n") << input;
    EXPECT_TRUE(outputs().empty());
  }
}

TEST_F(RunTest, PrintsOnlyTheUsageWithTooFewArguments) {
  write_file(input_, kOfficeExample);
  for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{input_}}) {
    const ProcessResult r = run_parcelo(args);
    EXPECT_EQ(r.status, 1) << args.size();
    EXPECT_EQ(r.out, start_up_text());
    EXPECT_EQ(r.err, "");
  }
  EXPECT_TRUE(outputs().empty());
  const ProcessResult extra = run_parcelo({input_, out_, "ignored", "too"});
  EXPECT_EQ(extra.status, 0);
  EXPECT_EQ(outputs().size(), 3u);
}

TEST_F(RunTest, ReportsAnOutputFolderThatIsMissing) {
  write_file(input_, kOfficeExample);
  // An empty folder argument names no folder, not the root of the file system.
  for (const std::string& folder : {dir_ / "nowhere", std::string()}) {
    const ProcessResult r = run_parcelo({input_, folder});
    EXPECT_EQ(r.status, 1) << folder;
    EXPECT_EQ(r.out, start_up_text()) << folder;
    EXPECT_EQ(r.err, kCannotOpenOutput) << folder;
    EXPECT_FALSE(fs::exists(folder + "/centers.json")) << folder;
    EXPECT_FALSE(fs::exists(folder + "/110000.json")) << folder;
  }
}

TEST_F(RunTest, KeepsTheFolderArgumentVerbatimInPaths) {
  write_file(input_, kCentreExample);
  const ProcessResult r = run_parcelo({input_, out_ + "/"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, start_up_text() + written_line(out_ + "//centers.json") +
                       written_line(out_ + "//110000.json") + written_line(out_ + "//120000.json"));
}

TEST_F(RunTest, HandlesPathsLongerThan260Bytes) {
  std::string deep = out_;
  for (int i = 0; i < 3; ++i) deep += "/" + std::string(100, 'a' + i);
  fs::create_directories(deep);
  write_file(input_, kCentreExample);
  EXPECT_EQ(run_parcelo({input_, deep}).status, 0);
  EXPECT_EQ(read_file(deep + "/centers.json"), kCentreExampleFile);

  const ProcessResult too_long = run_parcelo({input_, out_ + "/" + std::string(300, 'x')});
  EXPECT_EQ(too_long.status, 1);
  EXPECT_EQ(too_long.err, kCannotOpenOutput);
}

TEST_F(RunTest, ReplacesExistingFilesEntirely) {
  write_file(out_ + "/centers.json", std::string(5000, 'x'));
  write_file(out_ + "/120000.json", std::string(5000, 'y'));
  EXPECT_EQ(run(kOfficeExample).status, 0);
  EXPECT_EQ(output("centers.json"), "null");
  EXPECT_EQ(output("120000.json"), "[]");
}

TEST_F(RunTest, StopsAtTheFirstFileItCannotOpen) {
  fs::create_directory(out_ + "/120000.json");  // a folder where the second office's file goes
  const ProcessResult r = run(kOfficeExample);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, start_up_text() + written_line(out_ + "/centers.json") +
                       written_line(out_ + "/110000.json"));
  EXPECT_EQ(r.err, kCannotOpenOutput);
  EXPECT_EQ(output("centers.json"), "null");
  EXPECT_EQ(output("110000.json"), kOfficeExampleFile);

  fs::remove(out_ + "/110000.json");
  fs::remove(out_ + "/centers.json");
  fs::create_directory(out_ + "/centers.json");
  const ProcessResult at_index = run(kOfficeExample);
  EXPECT_EQ(at_index.status, 1);
  EXPECT_EQ(at_index.out, start_up_text());
  EXPECT_EQ(at_index.err, kCannotOpenOutput);
  EXPECT_EQ(outputs(), (std::vector<std::string>{"120000.json", "centers.json"}));
}

// A full disk or a file-size limit: the file being written is taken away, so that no part of
// it is left for a board to take as whole; files written before stay. Both failing files are
// larger than the C library's 4 KiB buffer, so that the failure shows in the write itself.
TEST_F(RunTest, ReportsAWriteThatFailsAndLeavesNoPartOfTheFile) {
  const std::string codes = repeated_code("1", 300);
  static const struct {
    const char* name;
    std::string list;
    std::vector<std::string> written;
  } cases[] = {
      {"at the centre index",
       R"({"centers": {"1": {"name": "c", "children": [)" + codes + "]}}, \"offices\": {}}",
       {}},
      {"at the second office",
       R"({"centers": {}, "offices": {"1": {}, "2": {"children": ["10"]}},
           "class10s": {"10": {"children": ["15"]}}, "class15s": {"15": {"children": [)" +
           codes + "]}}}",
       {"centers.json", "1.json"}},
  };
  for (const auto& c : cases) {
    clear_outputs();
    write_file(input_, c.list);
    RunOptions options;
    options.file_size_bytes = 8192;
    const ProcessResult r = run_parcelo({input_, out_}, options);
    EXPECT_EQ(r.status, 1) << c.name;
    std::string reports = start_up_text();
    for (const std::string& name : c.written) reports += written_line(out_ + "/" + name);
    EXPECT_EQ(r.out, reports) << c.name;
    EXPECT_EQ(r.err, kCannotWriteOutput) << c.name;
    std::vector<std::string> files = c.written;
    std::sort(files.begin(), files.end());
    EXPECT_EQ(outputs(), files) << c.name;
  }
}

// A symbolic link standing where an output file goes is not followed, wherever it points; the
// folder argument itself may be a link.
TEST_F(RunTest, RefusesALinkWhereAFileGoes) {
  write_file(dir_ / "outside", "kept");
  static const struct {
    const char* name;
    std::string target;
  } cases[] = {
      {"a file outside", dir_ / "outside"},
      {"nothing", dir_ / "dangling"},
      {"a full disk", "/dev/full"},
  };
  for (const auto& c : cases) {
    clear_outputs();
    fs::create_symlink(c.target, out_ + "/120000.json");
    const ProcessResult r = run(kOfficeExample);
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_EQ(r.out, start_up_text() + written_line(out_ + "/centers.json") +
                         written_line(out_ + "/110000.json"))
        << c.name;
    EXPECT_EQ(r.err, kCannotOpenOutput) << c.name;
    EXPECT_TRUE(fs::is_symlink(out_ + "/120000.json")) << c.name;
  }
  EXPECT_EQ(read_file(dir_ / "outside"), "kept");
  EXPECT_FALSE(fs::exists(dir_ / "dangling"));

  fs::remove(out_ + "/120000.json");
  fs::create_directory_symlink(out_, dir_ / "linked");
  EXPECT_EQ(run_parcelo({input_, dir_ / "linked"}).status, 0);
  EXPECT_EQ(read_file(out_ + "/110000.json"), kOfficeExampleFile);
}

TEST_F(RunTest, StopsAtAnOfficeItCannotRead) {
  const ProcessResult r = run(R"({"centers": {}, "offices": {"1": {}, "2": {"children": [2]},
                                                             "3": {}}})");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, start_up_text() + written_line(out_ + "/centers.json") +
                       written_line(out_ + "/1.json"));
  EXPECT_EQ(
      r.err,
      "エリアコード一覧の形式が正しくありません: offices \"2\": a child code is a number, not "
      "a string\n");
  EXPECT_EQ(outputs(), (std::vector<std::string>{"1.json", "centers.json"}));

  const ProcessResult table = run(R"({"centers": {}, "offices": "110000"})");
  EXPECT_EQ(table.status, 1);
  EXPECT_EQ(table.err,
            "エリアコード一覧の形式が正しくありません: offices: a string, not an object of "
            "records\n");

  const ProcessResult record = run(R"({"centers": {}, "offices": {"1": 5}})");
  EXPECT_EQ(record.status, 1);
  EXPECT_EQ(record.err,
            "エリアコード一覧の形式が正しくありません: offices \"1\": the record is a number, not "
            "an object\n");
}

TEST_F(RunTest, RefusesOfficeCodesThatAreNotFileNames) {
  static const struct {
    const char* code;  // as written in the list
    const char* shown;
  } cases[] = {
      {"", R"("")"},       {".", R"(".")"},
      {"..", R"("..")"},   {"../x", R"("../x")"},
      {"a/b", R"("a/b")"}, {"a\\\\b", R"("a\\b")"},
      {"c:", R"("c:")"},   {"a\\u0001", R"("a\u0001")"},
      {"\\n", R"("\n")"},  {"x\\u007f", "\"x\x7f\""},
  };
  for (const auto& c : cases) {
    const ProcessResult r =
        run(std::string(R"({"centers": {}, "offices": {"0": {}, ")") + c.code + R"(": {}}})");
    EXPECT_EQ(r.status, 1) << c.shown;
    EXPECT_EQ(r.err, "ファイル名に使えない府県予報区コードです: " + std::string(c.shown) + "\n");
    // Offices are taken in byte order, so office "0" is written only when it comes first.
    const bool zero_first = json::parse(c.shown).get<std::string>() > "0";
    const std::vector<std::string> want = zero_first
                                              ? std::vector<std::string>{"0.json", "centers.json"}
                                              : std::vector<std::string>{"centers.json"};
    EXPECT_EQ(outputs(), want) << c.shown;
    EXPECT_EQ(list_folder(dir_.path()), (std::vector<std::string>{"in.json", "out"})) << c.shown;
    clear_outputs();
  }
}

// On a file system that ignores the case of ASCII letters, as Windows and macOS do by default,
// these offices' files would replace the centre index or an earlier office's file.
TEST_F(RunTest, RefusesOfficeCodesWhoseFileIsTakenAlready) {
  static const struct {
    const char* offices;
    const char* shown;
    std::vector<std::string> files;
  } cases[] = {
      {R"("centers": {})", R"("centers")", {"centers.json"}},
      {R"("0": {}, "CENTERS": {})", R"("CENTERS")", {"0.json", "centers.json"}},
      {R"("Ab": {}, "ab": {}, "b": {})", R"("ab")", {"Ab.json", "centers.json"}},
  };
  for (const auto& c : cases) {
    clear_outputs();
    const ProcessResult r = run(std::string(R"({"centers": {"1": {"name": "c", "children": [)") +
                                c.shown + "]}}, \"offices\": {" + c.offices + "}}");
    EXPECT_EQ(r.status, 1) << c.shown;
    EXPECT_EQ(r.err, "ファイル名に使えない府県予報区コードです: " + std::string(c.shown) + "\n");
    EXPECT_EQ(outputs(), c.files) << c.shown;
    EXPECT_NE(output("centers.json"), "[]") << c.shown;
  }
}

TEST_F(RunTest, RunsTheShippedSample) {
  const ProcessResult r = run_parcelo({sample_list_path(), out_});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(outputs(), (std::vector<std::string>{"016000.json", "080000.json", "090000.json",
                                                 "centers.json"}));
  EXPECT_NE(output("centers.json").find("\"name\": \"不明\""), std::string::npos);
}

}  // namespace
}  // namespace parcelo::testing
