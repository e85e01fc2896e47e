// parcelo: splits the agency's area-code list into a centre index and one file per office.

#include <cstdlib>
#include <fstream>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "area/area_tables.h"
#include "driver/area_list.h"
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
  report_failure(FailureKind::kOutOfMemory);
  std::_Exit(kExitFailure);
}

// Readies the process: every failure must end as a message and exit status 1.
void install_failure_handlers() {
  platform::prepare_process();
  std::set_new_handler(out_of_memory);
}

// Points `document` at the parsed list, or says why there is none. The document is never
// destroyed: the library frees a large document with a work stack allocated inside a noexcept
// destructor, which would end the process if it ran while memory is exhausted. The operating
// system reclaims it at exit anyway.
Outcome load_area_list(const std::string& path, const json*& document) {
  std::ifstream input;
  if (!platform::open_for_reading(path, input)) return Failure{FailureKind::kCannotOpenInput, {}};
  platform::prepare_heap(platform::file_size(path));
  static json* const parsed = new json;
  if (Outcome failure = parse_area_list(input, *parsed)) return failure;
  document = parsed;
  return std::nullopt;
}

// Runs `step`, which reads the tables: a shape they cannot be read in is a failure too.
template <typename Step>
Outcome reading_the_tables(Step&& step) {
  try {
    return step();
  } catch (const MalformedList& e) {
    return Failure{FailureKind::kMalformedList, e.what()};
  }
}

// Writes `value` as the file at `path` and reports it, or says why it was not written;
// `refused` is what a file this run wrote already standing at `path` means.
Outcome write_file(const std::string& path, const json& value, const Failure& refused) {
  switch (write_json_file(path, value)) {
    case platform::FileWrite::kWritten:
      report_written(path);
      return std::nullopt;
    case platform::FileWrite::kCannotOpen:
      return Failure{FailureKind::kCannotOpenOutput, {}};
    case platform::FileWrite::kCannotWrite:
      return Failure{FailureKind::kCannotWriteOutput, {}};
    case platform::FileWrite::kRefusedOwnFile:
      break;
  }
  return refused;
}

// Writes the centre index into `folder`. An empty folder argument names no folder: taken as it
// is, it would put the files at the root of the file system.
Outcome write_centre_index(const AreaTables& tables, const std::string& folder) {
  const Failure cannot_open{FailureKind::kCannotOpenOutput, {}};
  if (folder.empty()) return cannot_open;
  return reading_the_tables([&] {
    const json index = build_centre_index(tables.centers, tables.offices);
    // The first file of the run: no file of this run stands anywhere yet.
    return write_file(output_path(folder, kCentreIndexName), index, cannot_open);
  });
}

// Writes one file per office, in ascending byte order of the office codes, and stops at the
// first office that cannot be written. An office code becomes a file name, so one that could
// name anything but a new file inside the folder is unsafe: one that OfficeFiles refuses, and
// one whose name this host's file system took for a file this run wrote.
Outcome write_office_files(const AreaTables& tables, const std::string& folder) {
  return reading_the_tables([&]() -> Outcome {
    for (OfficeFiles offices(tables); offices.next();) {
      const Failure unsafe{FailureKind::kUnsafeOfficeCode, quoted_code(offices.code())};
      if (offices.refused()) return unsafe;
      const std::string path = output_path(folder, offices.code());
      if (Outcome failure = write_file(path, offices.file(), unsafe)) return failure;
    }
    return std::nullopt;
  });
}

// The run proper: the list in, the centre index and the office files out.
Outcome split(const std::string& list, const std::string& folder) {
  const json* document = nullptr;
  if (Outcome failure = load_area_list(list, document)) return failure;
  const AreaTables tables = area_tables_of(*document);
  if (Outcome failure = write_centre_index(tables, folder)) return failure;
  return write_office_files(tables, folder);
}

// Answers --version or --help (-V, -h) given as the one argument, and returns true. With a
// folder after it, the same word is a file name like any other.
bool answer_version_or_help(const std::vector<std::string>& args) {
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
  install_failure_handlers();
  const std::vector<std::string> args = platform::arguments(argc, argv);
  if (answer_version_or_help(args)) return kExitSuccess;
  print_start_up(args.empty() ? "" : args[0]);
  if (args.size() < 3) return kExitFailure;  // the usage line just printed says what is missing
  const Outcome failure = split(args[1], args[2]);
  if (!failure) return kExitSuccess;
  report_failure(failure->kind, failure->detail);
  return kExitFailure;
}

}  // namespace
}  // namespace parcelo

int main(int argc, char** argv) {
  using namespace parcelo;
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    report_failure(FailureKind::kOutOfMemory);
  } catch (const std::exception& e) {
    report_failure(FailureKind::kUnexpected, e.what());
  } catch (...) {
    report_failure(FailureKind::kUnexpected, "unknown");
  }
  return kExitFailure;
}
