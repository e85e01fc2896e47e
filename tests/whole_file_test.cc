// The write rule on a file system in memory that behaves as Linux's or as Windows's.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <set>
#include <string>

#include "fake_host.h"
#include "platform/file_host.h"
#include "test_support.h"

namespace parcelo::testing {
namespace {

using platform::FileWrite;

const std::string kPath = "out/130000.json";
const std::string kText = "[\n]";
const std::string kFirstTemporary = platform::temporary_path(kPath, 4242, 0);

struct Row {
  const char* what;
  std::function<void(FakeHost&, platform::WriteRecord&)> before;
  FileWrite on_linux;
  FileWrite on_windows;
  const char* left;  // what stands at the path afterwards; "new" for the text written
  std::string path = kPath;
  bool leaves_temporary = false;
  const char* left_on_windows = nullptr;  // where it differs from `left`
};

void write(FakeHost& host, platform::WriteRecord& record, const std::string& path) {
  platform::write_whole_file(host, record, path, "first");
}

const Row kRows[] = {
    {"nothing at the path", nullptr, FileWrite::kWritten, FileWrite::kWritten, "new"},
    {"a file the user may write", [](FakeHost& h, auto&) { h.put_file(kPath, "old"); },
     FileWrite::kWritten, FileWrite::kWritten, "new"},
    {"a file the user may not write",
     [](FakeHost& h, auto&) { h.put_file(kPath, "old", 0444, false); }, FileWrite::kCannotOpen,
     FileWrite::kCannotOpen, "old"},
    {"a folder, a link, a FIFO or a device", [](FakeHost& h, auto&) { h.put_other(kPath); },
     FileWrite::kCannotOpen, FileWrite::kCannotOpen, ""},
    {"a path the host cannot tell", [](FakeHost& h, auto&) { h.put_unknown(kPath); },
     FileWrite::kCannotOpen, FileWrite::kCannotOpen, ""},
    {"a file this run wrote", [](FakeHost& h, auto& r) { write(h, r, kPath); },
     FileWrite::kRefusedOwnFile, FileWrite::kRefusedOwnFile, "first"},
    {"a file this run wrote, rewritten since to another size with its time put back",
     [](FakeHost& h, auto& r) {
       write(h, r, kPath);
       h.rewrite_keeping_time(kPath, "another size");
     },
     FileWrite::kWritten, FileWrite::kWritten, "new"},
    {"a name that differs from one this run wrote in letter case beyond ASCII",
     [](FakeHost& h, auto& r) { write(h, r, "out/\xC3\xA4.json"); },  // "ä" before "Ä"
     FileWrite::kWritten, FileWrite::kRefusedOwnFile, "new", "out/\xC3\x84.json", false, "first"},
    {"a file at the temporary name tried first",
     [](FakeHost& h, auto&) { h.put_file(kFirstTemporary, "planted"); }, FileWrite::kWritten,
     FileWrite::kWritten, "new"},
    {"a folder that lets no file be made, a lone writable file at the path",
     [](FakeHost& h, auto&) {
       h.put_file(kPath, "old");
       h.folder_writable = false;
     },
     FileWrite::kWritten, FileWrite::kWritten, "new"},
    {"a folder that lets no file be made, a file with a second link at the path",
     [](FakeHost& h, auto&) {
       h.put_file(kPath, "old");
       h.link(kPath, "out/other.json");
       h.folder_writable = false;
     },
     FileWrite::kCannotOpen, FileWrite::kCannotOpen, "old"},
    {"a folder that lets no file be made, nothing at the path",
     [](FakeHost& h, auto&) { h.folder_writable = false; }, FileWrite::kCannotOpen,
     FileWrite::kCannotOpen, "(absent)"},
    {"a folder that lets no file be made or removed, the write in place stopped by a size limit",
     [](FakeHost& h, auto&) {
       h.put_file(kPath, "old");
       h.folder_writable = false;
       h.size_limit = 2;
     },
     FileWrite::kCannotWrite, FileWrite::kCannotWrite, "["},
    {"a folder that lets no file be made or removed, the file written in place not closed",
     [](FakeHost& h, auto&) {
       h.put_file(kPath, "old");
       h.folder_writable = false;
       h.fail_at = "close";
     },
     FileWrite::kCannotWrite, FileWrite::kCannotWrite, "new"},
    {"no temporary file can be made, the write in place stopped by a size limit",
     [](FakeHost& h, auto&) {
       h.put_file(kPath, "old");
       h.fail_at = "create";
       h.size_limit = 2;
     },
     FileWrite::kCannotWrite, FileWrite::kCannotWrite, "(absent)"},
    {"no temporary file can be made, nothing at the path",
     [](FakeHost& h, auto&) { h.fail_at = "create"; }, FileWrite::kCannotOpen,
     FileWrite::kCannotOpen, "(absent)"},
    {"a full disk while the temporary file is written",
     [](FakeHost& h, auto&) {
       h.put_file(kPath, "old");
       h.size_limit = 2;
     },
     FileWrite::kCannotWrite, FileWrite::kCannotWrite, "old"},
    {"the temporary file cannot be closed",
     [](FakeHost& h, auto&) {
       h.put_file(kPath, "old");
       h.fail_at = "close";
     },
     FileWrite::kCannotWrite, FileWrite::kCannotWrite, "old"},
    {"the rename fails",
     [](FakeHost& h, auto&) {
       h.put_file(kPath, "old");
       h.fail_at = "rename";
     },
     FileWrite::kCannotOpen, FileWrite::kCannotOpen, "old"},
    {"the folder made read-only while the file is written",
     [](FakeHost& h, auto&) {
       h.put_file(kPath, "old");
       h.fail_at = "lock the folder";
     },
     FileWrite::kCannotOpen, FileWrite::kCannotOpen, "old", kPath, true},
};

TEST(WholeFileTest, FollowsTheWriteRuleOnLinuxAndOnWindows) {
  for (const FakeHost::Behaviour* behaviour : {&FakeHost::kLinux, &FakeHost::kWindows}) {
    for (const Row& row : kRows) {
      SCOPED_TRACE(std::string(behaviour->name) + ": " + row.what);
      FakeHost host(*behaviour);
      platform::WriteRecord record;
      if (row.before) row.before(host, record);
      const std::vector<std::string> names_before = host.names();
      std::set<std::string> planted;
      for (const std::string& name : names_before) planted.insert(name + host.content(name));

      const FileWrite result = platform::write_whole_file(host, record, row.path, kText);

      EXPECT_EQ(result, behaviour == &FakeHost::kLinux ? row.on_linux : row.on_windows);
      const bool on_linux = behaviour == &FakeHost::kLinux;
      const std::string left = on_linux || !row.left_on_windows ? row.left : row.left_on_windows;
      EXPECT_EQ(host.content(row.path), left == "new" ? (on_linux ? "[\n]" : "[\r\n]") : left);
      EXPECT_FALSE(host.pending() && !row.leaves_temporary);
      // Nothing is left beside the path; what stood there before stands as it was.
      size_t temporaries = 0;
      for (const std::string& name : host.names()) {
        const bool kept = planted.count(name + host.content(name)) != 0;
        temporaries += !kept && name != row.path;
      }
      EXPECT_EQ(temporaries, row.leaves_temporary ? 1u : 0u);
    }
  }
}

TEST(WholeFileTest, AReplacedFileKeepsItsPermissionBitsWhereTheHostHasThem) {
  FakeHost host(FakeHost::kLinux);
  platform::WriteRecord record;
  host.put_file(kPath, "old", 0600);
  ASSERT_EQ(platform::write_whole_file(host, record, kPath, kText), FileWrite::kWritten);
  EXPECT_EQ(host.mode(kPath), 0600u);
}

// The same rule on this machine's own file system: a file at the first temporary name stays as
// it was, and only a file this run left as it was is refused.
TEST(WholeFileTest, OnThisHostRefusesOnlyAFileThisRunLeftAsItWas) {
  TempDir dir;
  platform::FileHost& host = platform::this_host();
  platform::WriteRecord record;
  const std::string path = dir / "130000.json";
  const std::string planted = platform::temporary_path(path, host.process_id(), 0);
  write_file(planted, "planted");
  EXPECT_EQ(platform::write_whole_file(host, record, path, "first"), FileWrite::kWritten);
  EXPECT_EQ(read_file(planted), "planted");
  EXPECT_EQ(platform::write_whole_file(host, record, path, "second"), FileWrite::kRefusedOwnFile);

  struct stat before;
  ASSERT_EQ(stat(path.c_str(), &before), 0);
  write_file(path, "another size");  // in place, the same file
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  EXPECT_EQ(platform::write_whole_file(host, record, path, "third"), FileWrite::kWritten);
  EXPECT_EQ(read_file(path), "third");
}

TEST(WholeFileTest, NamesTheTemporaryFileBesideThePathNeverAsAnOfficeFile) {
  const struct {
    const char* path;
    unsigned long process;
    unsigned serial;
    const char* temporary;
  } cases[] = {
      {"out/130000.json", 12, 3, "out/.parcelo-12-3"},
      {"130000.json", 7, 0, ".parcelo-7-0"},
      {"a/b\\x.json", 1, 9, "a/b\\.parcelo-1-9"},
      {"/.json", 4242, 41, "/.parcelo-4242-41"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::temporary_path(c.path, c.process, c.serial), c.temporary) << c.path;
  }
}

}  // namespace
}  // namespace parcelo::testing
