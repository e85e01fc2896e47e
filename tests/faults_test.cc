// Runs under the faults a user's machine can throw at the tool: huge and deeply nested input (in
// memory), and, in whole processes, memory running out, signals and a reader that goes away.
// (Open and write failures are in run_test.cc and run_memory_test.cc.)

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "fake_host.h"
#include "platform/platform.h"
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
    FakeRun host(FakeHost::kLinux);
    const ProcessResult r = host.run_list(c.list);
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << c.name;
    EXPECT_EQ(host.outputs(), c.files) << c.name;
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

const std::string kOutOfMemory = "メモリが不足しています。\n";

TEST(OutOfMemory, EndsWithAMessageNotACrash) {
#ifdef PARCELO_SANITIZED
  GTEST_SKIP() << "a sanitizer's shadow memory does not fit under an address-space limit";
#endif
  if (under_emulator()) GTEST_SKIP() << "under an emulator the address-space limit does not take";
  const std::string by_2000 = repeated_code("x", 2000);
  static const struct {
    const char* name;
    std::string list;
    long limit_mib;
    std::vector<std::string> files;
  } cases[] = {
      {"while parsing", large_list(), 100, {}},
      {"building the centre index: a centre with 3 million children",
       R"({"centers": {"1": {"name": "c", "children": [)" + repeated_code("1", 3000000) +
           "]}}, \"offices\": {}}",
       512,
       {}},
      {"building an office file: 2000 x 2000 x 2000 municipalities",
       R"({"centers": {}, "offices": {"1": {"children": [)" + by_2000 +
           R"(]}}, "class10s": {"x": {"children": [)" + by_2000 +
           R"(]}}, "class15s": {"x": {"children": [)" + by_2000 + "]}}}",
       512,
       {"centers.json"}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const ProcessResult r = run_parcelo_on_list(dir, c.list, {c.limit_mib << 20});
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_EQ(r.err, kOutOfMemory) << c.name;
    EXPECT_EQ(list_folder(dir / "out"), c.files) << c.name;
    std::string reports = start_up_text();  // flushed before the process ends
    for (const std::string& name : c.files) reports += written_line(dir / "out/" + name);
    EXPECT_EQ(r.out, reports) << c.name;
  }
}

// Memory may run out at any step after the parse: building the centre index or the office
// file, or serialising either. Each limit must give whole files and 0, or the message, 1 and
// nothing half written.
TEST(OutOfMemory, AnyStepAfterTheParseEndsWithTheMessage) {
#ifdef PARCELO_SANITIZED
  GTEST_SKIP() << "a sanitizer's shadow memory does not fit under an address-space limit";
#endif
  if (under_emulator()) GTEST_SKIP() << "under an emulator the address-space limit does not take";
  TempDir dir;
  write_file(dir / "in.json", large_list());
  std::filesystem::create_directory(dir / "whole");
  ASSERT_EQ(run_parcelo({dir / "in.json", dir / "whole"}).status, 0);
  const std::string whole = read_file(dir / "whole/1.json");
  int failed_after_parse = 0;
  for (long mib = 200; mib <= 560; mib += 40) {  // the parse ends near 195 MiB, the run 520
    TempDir out;
    const ProcessResult r = run_parcelo({dir / "in.json", out.path()}, {mib << 20});
    const std::vector<std::string> files = list_folder(out.path());
    if (r.status == 0) {
      EXPECT_EQ(read_file(out / "1.json"), whole) << mib << " MiB";
      continue;
    }
    EXPECT_EQ(r.status, 1) << mib << " MiB";
    EXPECT_EQ(r.err, kOutOfMemory) << mib << " MiB";
    EXPECT_TRUE(files.empty() || files == std::vector<std::string>{"centers.json"}) << mib;
    if (!files.empty()) ++failed_after_parse;
  }
  EXPECT_GE(failed_after_parse, 6);
}

// The heap is grown once for a large list, and later growth asks for no more than it needs, so
// that a list that fits under a memory limit without the preparation still fits with it.
TEST(OutOfMemory, PreparedHeapGrowsLaterOnlyByWhatItNeeds) {
#if defined(PARCELO_SANITIZED) || !defined(__GLIBC__)
  GTEST_SKIP() << "glibc's own heap only";
#endif
  const auto top = [] { return reinterpret_cast<std::uintptr_t>(sbrk(0)); };
  const std::uintptr_t start = top();
  platform::prepare_heap(8 << 20);  // a list of 8 MiB: a document of about 64 MiB
  const std::uintptr_t prepared = top();
  std::vector<void*> blocks;
  while (top() == prepared) blocks.push_back(std::malloc(64 << 10));
  const std::uintptr_t growth = top() - prepared;
  for (void* block : blocks) std::free(block);
  EXPECT_GE(prepared - start, std::uintptr_t{32} << 20);
  EXPECT_LT(prepared - start, std::uintptr_t{128} << 20);
  EXPECT_LT(growth, std::uintptr_t{1} << 20);
}

// A list of `count` offices "0", "1", ..., each listing one municipality named `city`.
std::string offices_list(int count, const std::string& city) {
  std::string offices;
  for (int i = 0; i < count; ++i) {
    offices += (i ? R"(, ")" : R"(")") + std::to_string(i) + R"(": {"children": ["10"]})";
  }
  return R"({"centers": {}, "class10s": {"10": {"name": "a", "children": ["15"]}},)"
         R"("class15s": {"15": {"children": ["20"]}}, "class20s": {"20": {"name": ")" +
         city + R"("}}, "offices": {)" + offices + "}}";
}

// Returns the problems of folder `out` after runs that each wrote one of `wanted` into every
// office file: a name holding any other bytes, and files left with a temporary name.
std::vector<std::string> torn_files(const std::string& out, const std::vector<std::string>& wanted,
                                    size_t temporary_allowed) {
  std::vector<std::string> problems;
  size_t temporary = 0;
  for (const std::string& name : list_folder(out)) {
    if (name[0] == '.') {
      ++temporary;
    } else if (name != "centers.json") {
      const std::string bytes = read_file(out + "/" + name);
      if (std::find(wanted.begin(), wanted.end(), bytes) == wanted.end()) problems.push_back(name);
    }
  }
  if (temporary > temporary_allowed) problems.push_back(std::to_string(temporary) + " temporary");
  return problems;
}

// A run killed while it writes leaves every file whole or absent. SIGKILL may leave one
// temporary file; Ctrl-C, SIGTERM and SIGHUP remove it and end the run as the signal does.
TEST(Interrupted, LeavesNoPartialFile) {
  TempDir dir;
  write_file(dir / "in.json", offices_list(20000, "c"));
  std::filesystem::create_directory(dir / "whole");
  ASSERT_EQ(run_parcelo({dir / "in.json", dir / "whole"}).status, 0);
  const std::string whole = read_file(dir / "whole/0.json");
  static const struct {
    int signal_number;
    int after_ms;
    bool ignored = false;  // ignored from the start, as nohup leaves SIGHUP: the run goes on
  } cases[] = {{SIGKILL, 30},  {SIGKILL, 120}, {SIGKILL, 300},     {SIGINT, 60},
               {SIGTERM, 150}, {SIGHUP, 250},  {SIGHUP, 100, true}};
  for (const auto& c : cases) {
    TempDir out;
    // The child inherits this process's disposition, which a script's background job starts
    // with SIGINT ignored: each case sets its own, and puts the old one back.
    const auto previous = signal(c.signal_number, c.ignored ? SIG_IGN : SIG_DFL);
    const int pid = start_parcelo({dir / "in.json", out.path()});
    if (previous != SIG_ERR) signal(c.signal_number, previous);
    std::this_thread::sleep_for(std::chrono::milliseconds(c.after_ms));
    kill(pid, c.signal_number);
    EXPECT_EQ(wait_for(pid), c.ignored ? 0 : 128 + c.signal_number)
        << c.signal_number << " at " << c.after_ms;
    const size_t temporary_allowed = c.signal_number == SIGKILL ? 1 : 0;
    EXPECT_EQ(torn_files(out.path(), {whole}, temporary_allowed), std::vector<std::string>{})
        << c.signal_number << " at " << c.after_ms;
  }
}

// Two runs on two lists into one folder at once: every file is one list's or the other's.
TEST(ConcurrentRuns, EveryFileIsWhole) {
  TempDir dir;
  std::vector<std::string> wanted;
  for (const char* city : {"a", "b"}) {
    write_file(dir / city, offices_list(5000, city));
    std::filesystem::create_directory(dir / (std::string("out-") + city));
    ASSERT_EQ(run_parcelo({dir / city, dir / (std::string("out-") + city)}).status, 0);
    wanted.push_back(read_file(dir / (std::string("out-") + city + "/0.json")));
  }
  std::filesystem::create_directory(dir / "out");
  const int first = start_parcelo({dir / "a", dir / "out"});
  const int second = start_parcelo({dir / "b", dir / "out"});
  EXPECT_EQ(wait_for(first), 0);
  EXPECT_EQ(wait_for(second), 0);
  EXPECT_EQ(list_folder(dir / "out").size(), 5001u);
  EXPECT_EQ(torn_files(dir / "out", wanted, 0), std::vector<std::string>{});
}

// A reader that stops after the first line, as `| head -n 1` does, must not stop the work.
TEST(ClosedOutput, EveryFileIsStillWritten) {
  std::string offices;
  for (int i = 0; i < 20000; ++i) offices += (i ? ", \"" : "\"") + std::to_string(i) + "\": {}";
  TempDir dir;
  write_file(dir / "in.json", "{\"centers\": {}, \"offices\": {" + offices + "}}");
  std::filesystem::create_directory(dir / "out");
  RunOptions options;
  options.stdout_closed_early = true;
  const ProcessResult r = run_parcelo({dir / "in.json", dir / "out"}, options);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(list_folder(dir / "out").size(), 20001u);
  EXPECT_EQ(read_file(dir / "out/19999.json"), "[]");
}

}  // namespace
}  // namespace parcelo::testing
