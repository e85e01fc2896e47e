// parcelo: splits the agency's area-code list into a centre index and one file per office.

#include <cstdlib>
#include <fstream>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "area/area_tables.h"
#include "output/centre_index.h"
#include "output/console.h"
#include "output/office_file.h"
#include "output/write_json_file.h"
#include "platform/platform.h"

namespace parcelo {
namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;

// Ends the run where memory ran out, without unwinding: unwinding would destroy half-built
// values, and the library's destructors allocate while memory is exhausted, which aborts.
// Files written before are complete; the one being written, if any, is not opened until its
// text is whole.
[[noreturn]] void out_of_memory() {
  report_failure(kOutOfMemory);
  std::_Exit(kExitFailure);
}

// Readies the process: every failure must end as a message and exit status 1.
void prepare_process() {
  platform::prepare_process();
  std::set_new_handler(out_of_memory);
}

// Returns the parsed list, or nullptr after reporting why there is none. The document is never
// destroyed: the library frees a large document with a work stack allocated inside a noexcept
// destructor, which would end the process if it ran while memory is exhausted. The operating
// system reclaims it at exit anyway.
const json* load_area_list(const std::string& path) {
  std::ifstream input;
  if (!platform::open_for_reading(path, input)) {
    report_failure(kCannotOpenInput);
    return nullptr;
  }
  platform::prepare_heap(platform::file_size(path));
  static json* const document = new json;
  try {
    input >> *document;  // a byte-order mark is accepted, text after the value is ignored
  } catch (const json::parse_error& e) {
    report_failure(kParseError, e.what());
    return nullptr;
  } catch (const json::out_of_range& e) {  // a number too large for a double
    report_failure(kParseError, e.what());
    return nullptr;
  }
  if (!has_required_tables(*document)) {
    report_failure(kMissingTables);
    return nullptr;
  }
  return document;
}

// Writes the centre index into `folder`. An empty folder argument names no folder: taken as it
// is, it would put the files at the root of the file system.
bool write_centre_index(const AreaTables& tables, const std::string& folder) {
  if (folder.empty()) {
    report_failure(kCannotOpenOutput);
    return false;
  }
  const json index = build_centre_index(tables.centers, tables.offices);
  return write_json_file(folder + "/centers.json", index) == platform::FileWrite::kWritten;
}

void refuse_office_code(std::string_view code) {
  report_failure(kUnsafeOfficeCode, quoted_code(code));
}

// Writes one file per office, in ascending byte order of the office codes, and stops at the
// first office that cannot be written. An office code becomes a file name, so one that could
// name anything but a new file inside the folder is refused: one that leaves the folder or that
// some host cannot hold, one that a case-blind file system would merge with an earlier name,
// and one whose name this host's file system took for a file this run wrote.
bool write_office_files(const AreaTables& tables, const std::string& folder) {
  const auto write = [&](const std::string& code, const json& file) {
    const platform::FileWrite result = write_json_file(folder + "/" + code + ".json", file);
    if (result == platform::FileWrite::kRefusedOwnFile) refuse_office_code(code);
    return result == platform::FileWrite::kWritten;
  };
  return for_each_office_file(tables, write, refuse_office_code);
}

// Answers --version or --help (-V, -h) given as the one argument, and returns true. With a
// folder after it, the same word is a file name like any other.
bool answer_question(const std::vector<std::string>& args) {
  if (args.size() != 2) return false;
  if (args[1] == "--version" || args[1] == "-V") {
    print_version();
    return true;
  }
  if (args[1] == "--help" || args[1] == "-h") {
    print_help(args[0]);
    return true;
  }
  return false;
}

int run(int argc, char** argv) {
  prepare_process();
  const std::vector<std::string> args = platform::arguments(argc, argv);
  if (answer_question(args)) return kExitSuccess;
  print_start_up(args.empty() ? "" : args[0]);
  if (args.size() < 3) return kExitFailure;
  const std::string& folder = args[2];
  const json* document = load_area_list(args[1]);
  if (document == nullptr) return kExitFailure;
  const AreaTables tables = take_area_tables(*document);
  if (!write_centre_index(tables, folder)) return kExitFailure;
  if (!write_office_files(tables, folder)) return kExitFailure;
  return kExitSuccess;
}

}  // namespace
}  // namespace parcelo

int main(int argc, char** argv) {
  using namespace parcelo;
  try {
    return run(argc, argv);
  } catch (const MalformedList& e) {
    report_failure(kMalformedList, e.what());
  } catch (const std::bad_alloc&) {
    report_failure(kOutOfMemory);
  } catch (const std::exception& e) {
    report_failure(kUnexpectedError, e.what());
  } catch (...) {
    report_failure(kUnexpectedError, "unknown");
  }
  return kExitFailure;
}
