#ifndef PARCELO_TESTS_FAKE_HOST_H_
#define PARCELO_TESTS_FAKE_HOST_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "driver/run.h"
#include "platform/file_host.h"
#include "process_result.h"

namespace parcelo::testing {

// A file system in memory for the write rule, as ninja's tests fake the disk: the files of a
// folder by name, a file system that is case-sensitive or case-blind, keeps permission bits or
// not and writes line ends as LF or CR LF, and a primitive that fails on demand.
class FakeHost : public platform::FileHost {
 public:
  struct Behaviour {
    const char* name;
    bool case_blind;       // names that differ only in letter case are one (beyond ASCII too)
    bool permission_bits;  // files keep permission bits across a replace
    const char* line_end;  // what a line feed of a text becomes
  };
  static const Behaviour kLinux;    // ext4
  static const Behaviour kWindows;  // NTFS

  explicit FakeHost(const Behaviour& behaviour) : behaviour_(behaviour) {}

  // What stands at a path before a write.
  void put_file(const std::string& path, const std::string& content, std::uint32_t mode = 0644,
                bool writable = true);
  void put_other(const std::string& path);  // a folder, a link, a FIFO, a device
  void put_unknown(const std::string& path);
  void link(const std::string& existing, const std::string& path);  // a second hard link
  // Another program rewrites the file in place, leaving its time of change as it was.
  void rewrite_keeping_time(const std::string& path, const std::string& content);

  bool exists(const std::string& path) const;
  std::string content(const std::string& path) const;
  std::uint32_t mode(const std::string& path) const;
  std::vector<std::string> names() const;  // every name in the folder, as made
  bool pending() const { return !pending_.empty(); }

  bool folder_writable = true;  // files can be created and removed in the folder
  // "create", "open", "write", "close" or "rename" fails; "lock the folder" makes the folder
  // read-only while the file is written.
  std::string fail_at;
  std::size_t size_limit = SIZE_MAX;  // a file-size limit: a longer write stops there

  platform::PathInfo describe(const std::string& path) override;
  platform::Created create_temporary(const std::string& path,
                                     std::unique_ptr<platform::OpenFile>& file) override;
  std::unique_ptr<platform::OpenFile> open_existing(const std::string& path) override;
  bool rename_temporary(const std::string& path) override;
  void remove_temporary() override;
  void remove(const std::string& path) override;
  unsigned long process_id() override { return 4242; }

 private:
  class File;
  struct Node {
    platform::PathKind kind = platform::PathKind::kFile;
    std::string content;
    std::uint32_t mode = 0644;
    bool writable = true;
    std::uint64_t number = 0;
    std::uint64_t time = 0;
  };
  struct Entry {
    std::string name;
    std::shared_ptr<Node> node;
  };

  std::string key(const std::string& path) const;
  std::shared_ptr<Node> find(const std::string& path) const;
  std::shared_ptr<Node> make(const std::string& path);
  platform::FileIdentity identity_of(const Node& node) const;

  const Behaviour& behaviour_;
  std::map<std::string, Entry> entries_;
  std::string pending_;
  std::uint64_t clock_ = 1;
  std::uint64_t numbers_ = 1;
};

// A run's whole host in memory, as ninja's tests run builds over their fake disk: the list and
// the output folder on a FakeHost, and a console that keeps what the run printed.
class FakeRun : public RunHost, public Console {
 public:
  explicit FakeRun(const FakeHost::Behaviour& behaviour) : disk(behaviour), behaviour_(behaviour) {}

  // Runs the tool as "parcelo ARGS..." and gives its exit status and console streams.
  ProcessResult run(const std::vector<std::string>& args);
  // Puts `list` at "in.json" and runs "parcelo in.json out".
  ProcessResult run_list(const std::string& list);
  // The names of the files in "out", sorted, without the folder.
  std::vector<std::string> outputs() const;
  // The file "out/NAME" as a reader in text mode sees it: the host's line ends as line feeds.
  std::string output(const std::string& name) const;
  // The name of the failure the last run reported, or "".
  const std::string& failure() const { return failure_; }

  std::unique_ptr<std::istream> open_list(const std::string& path) override;
  platform::FileHost& files() override { return disk; }
  Console& console() override { return *this; }
  void out(std::string_view text) override { result_.out += text; }
  void error(std::string_view text) override { result_.err += text; }
  void name_failure(const char* name) override { failure_ = name; }

  FakeHost disk;

 private:
  const FakeHost::Behaviour& behaviour_;
  ProcessResult result_;
  std::string failure_;
};

}  // namespace parcelo::testing

#endif  // PARCELO_TESTS_FAKE_HOST_H_
