#ifndef PARCELO_DRIVER_RUN_H_
#define PARCELO_DRIVER_RUN_H_

#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "output/console.h"
#include "platform/file_host.h"

namespace parcelo {

// What a run reaches of its host, handed to it as ninja's Builder is handed its disk: the list it
// reads, the file system it writes and the console it reports on. main hands it this machine's;
// the tests, a file system in memory.
class RunHost {
 public:
  virtual ~RunHost() = default;
  // Opens the list at `path` for reading, or returns null when it cannot be opened or is a
  // folder.
  virtual std::unique_ptr<std::istream> open_list(const std::string& path) = 0;
  virtual platform::FileHost& files() = 0;
  virtual Console& console() = 0;
};

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;

// Runs the tool with `args` (argument 0 the program's path, all UTF-8) on `host` and returns its
// exit status: --version or --help alone answered; else the banner and usage line, and with a
// list and a folder, the centre index and the office files written into the folder, each
// reported, or the failure reported on standard error.
int run(const std::vector<std::string>& args, RunHost& host);

}  // namespace parcelo

#endif  // PARCELO_DRIVER_RUN_H_
