// The run: the list in, the centre index and the office files out, on the host it is handed.

#include "driver/run.h"

#include <string>
#include <string_view>

#include "area/area_tables.h"
#include "driver/area_list.h"
#include "driver/outcome.h"
#include "output/centre_index.h"
#include "output/office_file.h"
#include "output/write_json_file.h"

namespace parcelo {
namespace {

// Returns the path of the file `name`.json in `folder`: the one place a file name of the run is
// made.
std::string output_path(std::string_view folder, std::string_view name) {
  std::string path(folder);
  return path.append("/").append(name).append(".json");
}

// Points `document` at the parsed list, or says why there is none. The document is never
// destroyed: the library frees a large document with a work stack allocated inside a noexcept
// destructor, which would end the process if it ran while memory is exhausted. The operating
// system reclaims it at exit anyway.
Outcome load_area_list(RunHost& host, const std::string& path, const json*& document) {
  const std::unique_ptr<std::istream> input = host.open_list(path);
  if (!input) return Failure{FailureKind::kCannotOpenInput, {}};
  static json* const parsed = new json;
  if (Outcome failure = parse_area_list(*input, *parsed)) return failure;
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

// Where a run's files go: its host, and the files it wrote there.
struct Output {
  RunHost& host;
  platform::WriteRecord record;
};

// Writes `value` as the file at `path` and reports it, or says why it was not written;
// refused() says what a file this run wrote already standing at `path` means.
template <typename Refused>
Outcome write_file(Output& output, const std::string& path, const json& value, Refused&& refused) {
  switch (write_json_file(output.host.files(), output.record, path, value)) {
    case platform::FileWrite::kWritten:
      report_written(output.host.console(), path);
      return std::nullopt;
    case platform::FileWrite::kCannotOpen:
      return Failure{FailureKind::kCannotOpenOutput, {}};
    case platform::FileWrite::kCannotWrite:
      return Failure{FailureKind::kCannotWriteOutput, {}};
    case platform::FileWrite::kRefusedOwnFile:
      break;
  }
  return refused();
}

// Writes the centre index into `folder`. An empty folder argument names no folder: taken as it
// is, it would put the files at the root of the file system.
Outcome write_centre_index(Output& output, const AreaTables& tables, const std::string& folder) {
  const auto cannot_open = [] { return Failure{FailureKind::kCannotOpenOutput, {}}; };
  if (folder.empty()) return cannot_open();
  return reading_the_tables([&] {
    const json index = build_centre_index(tables.centers, tables.offices);
    // The first file of the run: no file of this run stands anywhere yet.
    return write_file(output, output_path(folder, kCentreIndexName), index, cannot_open);
  });
}

// Writes one file per office, in ascending byte order of the office codes, and stops at the
// first office that cannot be written. An office code becomes a file name, so one that could
// name anything but a new file inside the folder is unsafe: one that OfficeFiles refuses, and
// one whose name this host's file system took for a file this run wrote.
Outcome write_office_files(Output& output, const AreaTables& tables, const std::string& folder) {
  return reading_the_tables([&]() -> Outcome {
    for (OfficeFiles offices(tables); offices.next();) {
      const auto unsafe = [&] {
        return Failure{FailureKind::kUnsafeOfficeCode, quoted_code(offices.code())};
      };
      if (offices.refused()) return unsafe();
      const std::string path = output_path(folder, offices.code());
      if (Outcome failure = write_file(output, path, offices.file(), unsafe)) return failure;
    }
    return std::nullopt;
  });
}

// The run proper: the list in, the centre index and the office files out.
Outcome split(RunHost& host, const std::string& list, const std::string& folder) {
  const json* document = nullptr;
  if (Outcome failure = load_area_list(host, list, document)) return failure;
  const AreaTables tables = area_tables_of(*document);
  Output output{host, {}};
  if (Outcome failure = write_centre_index(output, tables, folder)) return failure;
  return write_office_files(output, tables, folder);
}

// Answers --version or --help (-V, -h) given as the one argument, and returns true. With a
// folder after it, the same word is a file name like any other.
bool answer_version_or_help(const std::vector<std::string>& args, Console& console) {
  if (args.size() != 2) return false;
  if (args[1] == "--version" || args[1] == "-V") {
    print_version(console);
    return true;
  }
  if (args[1] == "--help" || args[1] == "-h") {
    print_help(console, args[0]);
    return true;
  }
  return false;
}

}  // namespace

int run(const std::vector<std::string>& args, RunHost& host) {
  Console& console = host.console();
  if (answer_version_or_help(args, console)) return kExitSuccess;
  print_start_up(console, args.empty() ? "" : args[0]);
  if (args.size() < 3) return kExitFailure;  // the usage line just printed says what is missing
  const Outcome failure = split(host, args[1], args[2]);
  if (!failure) return kExitSuccess;
  report_failure(console, failure->kind, failure->detail);
  return kExitFailure;
}

}  // namespace parcelo
