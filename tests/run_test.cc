// Whole-process tests: the built binary run in a temporary folder, for what only a real host
// shows (folders, rights, links, FIFOs, size limits). The run's other cases run in memory
// (run_memory_test.cc).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <utility>
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

// Leaves a socket at `path`, as a server that listens there would.
bool bind_socket(const std::string& path) {
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  path.copy(address.sun_path, path.size());
  const int s = socket(AF_UNIX, SOCK_STREAM, 0);
  const bool bound = bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(s);
  return bound;
}

// A temporary folder holding the input list "in.json" and the output folder "out".
class RunTest : public ::testing::Test {
 protected:
  RunTest() : input_(dir_ / "in.json"), out_(dir_ / "out") { fs::create_directory(out_); }

  ProcessResult run(const std::string& list, const RunOptions& options = {}) {
    write_file(input_, list);
    return run_parcelo({input_, out_}, options);
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

// Lists that only a real host can make: a folder, and a file the user may not read (root runs
// the tool as another user here), are refused as files it cannot open; a FIFO and a device are
// read as the stream they give (a pipe, as `parcelo <(curl …) out` passes one; /dev/null, which
// gives nothing).
TEST_F(RunTest, ReadsOrRefusesListsThatAreNotFiles) {
  constexpr unsigned kNobody = 65534;
  const std::string fifo = dir_ / "fifo.json";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  fs::create_directory(dir_ / "folder.json");
  write_file(dir_ / "unreadable.json", kOfficeExample);
  fs::permissions(dir_ / "unreadable.json", fs::perms::none);
  fs::permissions(dir_.path(), fs::perms(0755));
  static const struct {
    const char* what;
    const char* path;  // in the test's folder, or absolute
    int status;
    const char* err;  // a prefix of standard error
    unsigned user = 0;
  } cases[] = {
      {"a folder", "folder.json", 1, "ファイルを開けませんでした。\n"},
      {"a file the user may not read", "unreadable.json", 1, "ファイルを開けませんでした。\n",
       kNobody},
      {"a FIFO with a writer", "fifo.json", 0, ""},
      {"a device that gives nothing", "/dev/null", 1,
       "JSON パースエラー: [json.exception.parse_error.101] "},
  };
  for (const auto& c : cases) {
    clear_outputs();
    const std::string path = c.path[0] == '/' ? std::string(c.path) : dir_ / c.path;
    // The writer opens the FIFO once the run opens it to read, writes the list and closes it.
    std::thread writer;
    if (path == fifo) writer = std::thread([&] { write_file(fifo, kOfficeExample); });
    RunOptions options;
    options.user = c.user;
    const ProcessResult r = run_parcelo({path, out_}, options);
    if (writer.joinable()) writer.join();
    EXPECT_EQ(r.status, c.status) << c.what;
    EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << c.what << ": " << r.err;
    if (c.status == 0) {
      EXPECT_EQ(output("110000.json"), kOfficeExampleFile) << c.what;
    } else {
      EXPECT_TRUE(outputs().empty()) << c.what;
    }
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

// A file is replaced by a new one, never written through: another hard link to the old file,
// outside the folder, keeps the old bytes, and the permission bits carry over. A new file gets
// the bits of a plain create.
TEST_F(RunTest, ReplacesExistingFilesEntirely) {
  write_file(out_ + "/centers.json", std::string(5000, 'x'));
  write_file(dir_ / "victim", std::string(5000, 'y'));
  fs::create_hard_link(dir_ / "victim", out_ + "/120000.json");
  fs::permissions(out_ + "/120000.json", fs::perms::owner_read | fs::perms::owner_write);
  const mode_t umask_before = umask(022);
  EXPECT_EQ(run(kOfficeExample).status, 0);
  umask(umask_before);
  EXPECT_EQ(output("centers.json"), "null");
  EXPECT_EQ(output("120000.json"), "[]");
  EXPECT_EQ(read_file(dir_ / "victim"), std::string(5000, 'y'));
  EXPECT_EQ(fs::status(out_ + "/120000.json").permissions(), fs::perms(0600));
  EXPECT_EQ(fs::status(out_ + "/110000.json").permissions(), fs::perms(0644));
  EXPECT_EQ(outputs(), (std::vector<std::string>{"110000.json", "120000.json", "centers.json"}));
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
    RunOptions options;
    options.file_size_bytes = 8192;
    const ProcessResult r = run(c.list, options);
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

// Whatever stands where an output file goes is looked at, never opened: a link is not followed
// (wherever it points), a FIFO is not waited on, a device or a socket is not written to. The
// folder argument itself may be a link.
TEST_F(RunTest, RefusesWhatIsNotAFileWhereAFileGoes) {
  write_file(dir_ / "outside", "kept");
  const std::string at = out_ + "/120000.json";
  int reader = -1;
  const struct {
    const char* name;
    std::function<bool()> make;  // returns false where this host cannot make it
  } cases[] = {
      {"a link to a file outside",
       [&] { return symlink((dir_ / "outside").c_str(), at.c_str()) == 0; }},
      {"a link to nothing", [&] { return symlink((dir_ / "dangling").c_str(), at.c_str()) == 0; }},
      {"a link to a full disk", [&] { return symlink("/dev/full", at.c_str()) == 0; }},
      {"a FIFO", [&] { return mkfifo(at.c_str(), 0666) == 0; }},
      {"a FIFO with a reader",
       [&] {
         return mkfifo(at.c_str(), 0666) == 0 &&
                (reader = open(at.c_str(), O_RDONLY | O_NONBLOCK)) >= 0;
       }},
      {"a character device", [&] { return mknod(at.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; }},
      {"a socket", [&] { return bind_socket(at); }},
      {"a folder", [&] { return fs::create_directory(at); }},
  };
  for (const auto& c : cases) {
    clear_outputs();
    if (!c.make()) {
      std::cout << "skipped " << c.name << ": cannot be made here\n";
      continue;
    }
    RunOptions options;
    options.seconds_allowed = 10;
    const ProcessResult r = run(kOfficeExample, options);
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_EQ(r.out, start_up_text() + written_line(out_ + "/centers.json") +
                         written_line(out_ + "/110000.json"))
        << c.name;
    EXPECT_EQ(r.err, kCannotOpenOutput) << c.name;
    EXPECT_TRUE(fs::exists(fs::symlink_status(at)) && !fs::is_regular_file(fs::symlink_status(at)))
        << c.name;
    EXPECT_EQ(outputs(), (std::vector<std::string>{"110000.json", "120000.json", "centers.json"}))
        << c.name;
    if (reader >= 0) {
      char byte;
      EXPECT_EQ(read(reader, &byte, 1), 0) << c.name << ": the FIFO's reader got bytes";
      close(std::exchange(reader, -1));
    }
  }
  EXPECT_EQ(read_file(dir_ / "outside"), "kept");
  EXPECT_FALSE(fs::exists(dir_ / "dangling"));

  clear_outputs();
  fs::create_directory_symlink(out_, dir_ / "linked");
  EXPECT_EQ(run_parcelo({input_, dir_ / "linked"}).status, 0);
  EXPECT_EQ(read_file(out_ + "/110000.json"), kOfficeExampleFile);
}

// The user's own rights decide (root runs the tool as another user here): a read-only file is
// refused; a folder that lets no file be created still has its writable files written in place.
TEST_F(RunTest, KeepsToTheUsersRights) {
  constexpr unsigned kNobody = 65534;
  fs::permissions(dir_.path(), fs::perms(0755));
  write_file(input_, kOfficeExample);
  for (const char* name : {"centers.json", "110000.json", "120000.json"}) {
    write_file(out_ + "/" + name, "old");
    fs::permissions(out_ + "/" + name, fs::perms(0666));
  }
  fs::permissions(out_ + "/120000.json", fs::perms(0444));
  fs::permissions(out_, fs::perms(0777));
  RunOptions options;
  options.user = kNobody;
  const ProcessResult read_only = run_parcelo({input_, out_}, options);
  EXPECT_EQ(read_only.status, 1);
  EXPECT_EQ(read_only.err, kCannotOpenOutput);
  EXPECT_EQ(output("120000.json"), "old");

  fs::permissions(out_ + "/120000.json", fs::perms(0666));
  fs::permissions(out_, fs::perms(0555));
  const ProcessResult in_place = run_parcelo({input_, out_}, options);
  fs::permissions(out_, fs::perms(0755));
  EXPECT_EQ(in_place.status, 0) << in_place.err;
  EXPECT_EQ(output("110000.json"), kOfficeExampleFile);
  EXPECT_EQ(output("120000.json"), "[]");
  EXPECT_EQ(outputs(), (std::vector<std::string>{"110000.json", "120000.json", "centers.json"}));
}

// Where the user's rights stop a write midway, the run says so and leaves nothing of its own
// beside the files: in a sticky folder another user's file cannot be renamed over (the
// temporary file goes again); in a folder that lets no file be made, a file with a second link
// is never written through it, and one that meets a file-size limit stays partial.
TEST_F(RunTest, ReportsAWriteTheUsersRightsStopMidway) {
  constexpr unsigned kNobody = 65534;
  fs::permissions(dir_.path(), fs::perms(0755));
  RunOptions options;
  options.user = kNobody;
  const auto old_file_in = [&](fs::perms folder) {
    fs::permissions(out_, fs::perms(0755));
    clear_outputs();
    write_file(out_ + "/centers.json", "old");
    fs::permissions(out_ + "/centers.json", fs::perms(0666));
    fs::permissions(out_, folder);
  };
  write_file(input_, kOfficeExample);
  old_file_in(fs::perms(01777));
  const ProcessResult sticky = run_parcelo({input_, out_}, options);
  EXPECT_EQ(sticky.status, 1);
  EXPECT_EQ(sticky.err, kCannotOpenOutput);
  EXPECT_EQ(outputs(), std::vector<std::string>{"centers.json"});
  EXPECT_EQ(output("centers.json"), "old");

  old_file_in(fs::perms(0555));
  fs::create_hard_link(out_ + "/centers.json", dir_ / "elsewhere.json");
  const ProcessResult linked = run_parcelo({input_, out_}, options);
  EXPECT_EQ(linked.status, 1);
  EXPECT_EQ(linked.err, kCannotOpenOutput);
  EXPECT_EQ(read_file(dir_ / "elsewhere.json"), "old");

  fs::permissions(out_, fs::perms(0755));
  fs::remove(dir_ / "elsewhere.json");
  write_file(input_, R"({"centers": {"1": {"name": "c", "children": [)" + repeated_code("x", 2000) +
                         R"(]}}, "offices": {}})");
  old_file_in(fs::perms(0555));
  options.file_size_bytes = 8192;
  const ProcessResult limited = run_parcelo({input_, out_}, options);
  fs::permissions(out_, fs::perms(0755));
  EXPECT_EQ(limited.status, 1);
  EXPECT_EQ(limited.err, kCannotWriteOutput);
  EXPECT_EQ(output("centers.json").size(), 8192u);
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
