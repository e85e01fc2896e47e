#ifndef PARCELO_TESTS_TEST_SUPPORT_H_
#define PARCELO_TESTS_TEST_SUPPORT_H_

#include <string>
#include <vector>

#include "area/area_tables.h"
#include "process_result.h"

namespace parcelo::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // Returns path() + "/" + name.
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct RunOptions {
  long address_space_bytes = 0;      // when set, the process's address space is limited to this
  long file_size_bytes = 0;          // when set, no file may grow past this (RLIMIT_FSIZE)
  bool stdout_closed_early = false;  // standard output is a pipe closed after its first line
  unsigned seconds_allowed = 0;      // when set, the process is ended (SIGALRM) after this long
  unsigned user = 0;                 // when set and running as root, the process runs as this user
};

// Runs the built parcelo with `args` (argument 0 is the binary's path) and collects its output.
ProcessResult run_parcelo(const std::vector<std::string>& args, const RunOptions& options = {});

// Writes `list` as "in.json" in `dir`, makes the folder "out" there, and runs the built parcelo
// on them.
ProcessResult run_parcelo_on_list(const TempDir& dir, const std::string& list,
                                  const RunOptions& options = {});

// Starts the built parcelo with `args`, its console streams thrown away; returns its process id.
int start_parcelo(const std::vector<std::string>& args);
// Waits for process `pid` to end; returns its exit status, or 128 + the signal that ended it.
int wait_for(int pid);

// True when the tool runs under an emulator (a cross build under qemu-user), where limits on the
// address space bind the emulator, not the tool.
bool under_emulator();

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
// The names in a folder, sorted.
std::vector<std::string> list_folder(const std::string& path);

// The agency's published list beside the project, or "" when it is absent.
std::string real_list_path();
std::string sample_list_path();
// A file of tests/data: the worked examples and the files they give.
std::string test_data(const std::string& name);

// Returns the detail of the MalformedList that `action` throws, or "" when it throws none.
template <typename Action>
std::string malformed_detail(Action&& action) {
  try {
    action();
  } catch (const MalformedList& e) {
    return e.what();
  }
  return "";
}

// Returns `count` copies of "\"<code>\"" joined by commas: a children list.
std::string repeated_code(const std::string& code, int count);

// The start-up text every run prints first, with `program` as argument 0.
std::string start_up_text(const std::string& program = PARCELO_BINARY);
// The line that reports a written file.
std::string written_line(const std::string& path);

}  // namespace parcelo::testing

#endif  // PARCELO_TESTS_TEST_SUPPORT_H_
