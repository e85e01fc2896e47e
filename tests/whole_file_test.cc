// The write rule on a file system in memory that behaves as Linux's or as Windows's.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "fake_host.h"
#include "platform/file_host.h"
#include "test_support.h"

#ifdef PARCELO_WRAP_LSTAT
// The host's look at a path made to fail as on a disk that cannot be read (EIO): where the
// linker has --wrap (GNU ld, lld), the tests link with --wrap=lstat, and this path's lstat fails.
std::string lstat_fails_at;  // set by one test at a time
extern "C" int __real_lstat(const char* path, struct stat* status);
extern "C" int __wrap_lstat(const char* path, struct stat* status) {
  if (path == lstat_fails_at) {
    errno = EIO;
    return -1;
  }
  return __real_lstat(path, status);
}
#endif

namespace parcelo::testing {
namespace {

using platform::FileWrite;

const std::string kPath = "out/130000.json";
const std::string kText = "[\n]";
const std::string kFirstTemporary = platform::temporary_path(kPath, 4242, 0);

// What stands in the folder before the write: "old" at the path unless the row says
// without_old_file(), the folder and the failure the row sets, and whatever after() adds.
struct Row {
  const char* what;
  FileWrite on_linux;
  FileWrite on_windows;
  const char* left;  // what stands at the path afterwards; "new" for the text written
  bool old_file = true;
  bool folder_writable = true;
  const char* fail_at = "";
  std::size_t size_limit = SIZE_MAX;
  std::function<void(FakeHost&, platform::WriteRecord&)> before = nullptr;
  std::string path = kPath;
  bool leaves_temporary = false;
  const char* left_on_windows = nullptr;  // where it differs from `left`

  // What a row changes from the plain case, by name.
  Row without_old_file() const {
    return with([](Row& r) { r.old_file = false; });
  }
  Row in_folder_that_lets_no_file_be_made() const {
    return with([](Row& r) { r.folder_writable = false; });
  }
  Row failing_at(const char* step) const {
    return with([&](Row& r) { r.fail_at = step; });
  }
  Row with_size_limit(std::size_t bytes) const {
    return with([&](Row& r) { r.size_limit = bytes; });
  }
  Row after(std::function<void(FakeHost&, platform::WriteRecord&)> step) const {
    return with([&](Row& r) { r.before = step; });
  }
  Row writing(const std::string& other_path) const {
    return with([&](Row& r) { r.path = other_path; });
  }
  Row leaving_a_temporary_file() const {
    return with([](Row& r) { r.leaves_temporary = true; });
  }
  Row leaving_on_windows(const char* text) const {
    return with([&](Row& r) { r.left_on_windows = text; });
  }

 private:
  template <typename Change>
  Row with(Change&& change) const {
    Row changed = *this;
    change(changed);
    return changed;
  }
};

Row row(const char* what, FileWrite on_linux, FileWrite on_windows, const char* left) {
  return {what, on_linux, on_windows, left};
}
Row row(const char* what, FileWrite on_both, const char* left) {
  return row(what, on_both, on_both, left);
}

void write(FakeHost& host, platform::WriteRecord& record, const std::string& path) {
  platform::write_whole_file(host, record, path, "first");
}

constexpr FileWrite kWritten = FileWrite::kWritten;
constexpr FileWrite kCannotOpen = FileWrite::kCannotOpen;
constexpr FileWrite kCannotWrite = FileWrite::kCannotWrite;
constexpr FileWrite kRefused = FileWrite::kRefusedOwnFile;

const Row kRows[] = {
    row("nothing at the path", kWritten, "new").without_old_file(),
    row("a file the user may write", kWritten, "new"),
    row("a file the user may not write", kCannotOpen, "old")
        .without_old_file()
        .after([](FakeHost& h, auto&) { h.put_file(kPath, "old", 0444, false); }),
    row("a folder, a link, a FIFO or a device", kCannotOpen, "")
        .without_old_file()
        .after([](FakeHost& h, auto&) { h.put_other(kPath); }),
    row("a path the host cannot tell", kCannotOpen, "")
        .without_old_file()
        .after([](FakeHost& h, auto&) { h.put_unknown(kPath); }),
    row("a file this run wrote", kRefused, "first")
        .without_old_file()
        .after([](FakeHost& h, auto& r) { write(h, r, kPath); }),
    row("a file this run wrote, rewritten since to another size with its time put back", kWritten,
        "new")
        .without_old_file()
        .after([](FakeHost& h, auto& r) {
          write(h, r, kPath);
          h.rewrite_keeping_time(kPath, "another size");
        }),
    row("a name that differs from one this run wrote in letter case beyond ASCII", kWritten,
        kRefused, "new")
        .without_old_file()
        .after([](FakeHost& h, auto& r) { write(h, r, "out/\xC3\xA4.json"); })  // "ä" before "Ä"
        .writing("out/\xC3\x84.json")
        .leaving_on_windows("first"),
    row("a file at the temporary name tried first", kWritten, "new")
        .without_old_file()
        .after([](FakeHost& h, auto&) { h.put_file(kFirstTemporary, "planted"); }),
    row("a folder that lets no file be made, a lone writable file at the path", kWritten, "new")
        .in_folder_that_lets_no_file_be_made(),
    row("a folder that lets no file be made, a file written in place by this run", kRefused,
        "first")
        .without_old_file()
        .after([](FakeHost& h, auto& r) {
          h.put_file(kPath, "old");
          h.folder_writable = false;
          write(h, r, kPath);
        })
        .in_folder_that_lets_no_file_be_made(),
    row("a folder that lets no file be made, the file at the path cannot be opened", kCannotOpen,
        "old")
        .in_folder_that_lets_no_file_be_made()
        .failing_at("open"),
    row("a folder that lets no file be made, a file with a second link at the path", kCannotOpen,
        "old")
        .in_folder_that_lets_no_file_be_made()
        .after([](FakeHost& h, auto&) { h.link(kPath, "out/other.json"); }),
    row("a folder that lets no file be made, nothing at the path", kCannotOpen, "(absent)")
        .without_old_file()
        .in_folder_that_lets_no_file_be_made(),
    row("a folder that lets no file be made or removed, the write in place stopped by a size "
        "limit",
        kCannotWrite, "[")
        .in_folder_that_lets_no_file_be_made()
        .with_size_limit(2),
    row("a folder that lets no file be made or removed, the file written in place not closed",
        kCannotWrite, "new")
        .in_folder_that_lets_no_file_be_made()
        .failing_at("close"),
    row("no temporary file can be made, the write in place stopped by a size limit", kCannotWrite,
        "(absent)")
        .failing_at("create")
        .with_size_limit(2),
    row("no temporary file can be made, nothing at the path", kCannotOpen, "(absent)")
        .without_old_file()
        .failing_at("create"),
    row("a full disk while the temporary file is written", kCannotWrite, "old").with_size_limit(2),
    row("the temporary file cannot be closed", kCannotWrite, "old").failing_at("close"),
    row("the rename fails", kCannotOpen, "old").failing_at("rename"),
    row("the folder made read-only while the file is written", kCannotOpen, "old")
        .failing_at("lock the folder")
        .leaving_a_temporary_file(),
};

TEST(WholeFileTest, FollowsTheWriteRuleOnLinuxAndOnWindows) {
  for (const FakeHost::Behaviour* behaviour : {&FakeHost::kLinux, &FakeHost::kWindows}) {
    for (const Row& row : kRows) {
      SCOPED_TRACE(std::string(behaviour->name) + ": " + row.what);
      FakeHost host(*behaviour);
      platform::WriteRecord record;
      if (row.old_file) host.put_file(kPath, "old");
      if (row.before) row.before(host, record);
      host.folder_writable = row.folder_writable;
      host.fail_at = row.fail_at;
      host.size_limit = row.size_limit;
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

// A look at the path that fails for any reason but "no such file" is not taken for nothing
// there: the file is neither written nor replaced.
TEST(WholeFileTest, OnThisHostALookThatFailsIsNotNothingThere) {
  TempDir dir;
  platform::WriteRecord record;
#ifdef PARCELO_WRAP_LSTAT
  const std::string path = dir / "130000.json";
  lstat_fails_at = path;
#else
  // Without --wrap (Apple's linker): a name longer than any file system takes, whose look
  // fails with ENAMETOOLONG.
  const std::string path = dir / (std::string(300, '1') + ".json");
#endif
  const FileWrite result = platform::write_whole_file(platform::this_host(), record, path, "new");
#ifdef PARCELO_WRAP_LSTAT
  lstat_fails_at.clear();
#endif
  EXPECT_EQ(result, FileWrite::kCannotOpen);
  EXPECT_TRUE(list_folder(dir.path()).empty());
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
