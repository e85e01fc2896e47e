// parcelo: splits the agency's area-code list into a centre index and one file per office.

#include <cstdlib>
#include <fstream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "driver/run.h"
#include "output/console.h"
#include "platform/platform.h"

namespace parcelo {
namespace {

// Ends the run where memory ran out, without unwinding: unwinding would destroy half-built
// values, and the library's destructors allocate while memory is exhausted, which aborts.
// Files written before are complete; the one being written, if any, is not opened until its
// text is whole.
[[noreturn]] void out_of_memory() {
  report_failure(host_console(), FailureKind::kOutOfMemory);
  std::_Exit(kExitFailure);
}

// Readies the process: every failure must end as a message and exit status 1.
void install_failure_handlers() {
  platform::prepare_process();
  std::set_new_handler(out_of_memory);
}

// This machine: its files, through the platform's seam, and its console.
class ThisMachine : public RunHost {
 public:
  std::unique_ptr<std::istream> open_list(const std::string& path) override {
    auto input = std::make_unique<std::ifstream>();
    if (!platform::open_for_reading(path, *input)) return nullptr;
    platform::prepare_heap(platform::file_size(path));
    return input;
  }
  platform::FileHost& files() override { return platform::this_host(); }
  Console& console() override { return host_console(); }
};

int run_on_this_machine(int argc, char** argv) {
  install_failure_handlers();
  const std::vector<std::string> args = platform::arguments(argc, argv);
  ThisMachine host;
  return run(args, host);
}

}  // namespace
}  // namespace parcelo

int main(int argc, char** argv) {
  using namespace parcelo;
  try {
    return run_on_this_machine(argc, argv);
  } catch (const std::bad_alloc&) {
    report_failure(host_console(), FailureKind::kOutOfMemory);
  } catch (const std::exception& e) {
    report_failure(host_console(), FailureKind::kUnexpected, e.what());
  } catch (...) {
    report_failure(host_console(), FailureKind::kUnexpected, "unknown");
  }
  return kExitFailure;
}
