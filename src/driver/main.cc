// parcelo: splits the agency's area-code list into a centre index and one file per office.

#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "area/area_tables.h"
#include "driver/heap.h"
#include "output/centre_index.h"
#include "output/console.h"
#include "output/office_file.h"
#include "output/write_json_file.h"

namespace parcelo {
namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;

// Returns the parsed list, or nullptr after reporting why there is none. The document is never
// destroyed: the library frees a large document with a work stack allocated inside a noexcept
// destructor, which would end the process if it ran while memory is exhausted. The operating
// system reclaims it at exit anyway.
const json* load_area_list(const char* path) {
  std::error_code ignored;
  std::ifstream input;
  if (!std::filesystem::is_directory(path, ignored)) input.open(path);
  if (!input.is_open()) {
    report_failure(kCannotOpenInput);
    return nullptr;
  }
  prepare_heap(std::filesystem::file_size(path, ignored));
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

// Writes one file per office, in ascending byte order of the office codes, and stops at the
// first office that cannot be written. An office code becomes a file name, so one that could
// name anything but a file inside the folder is refused.
bool write_office_files(const AreaTables& tables, const std::string& folder) {
  json file;  // one office's file at a time, in memory the previous office's file leaves
  for (const auto& [code, value] : records_of(tables.offices).items()) {
    const json& office = as_record(tables.offices, code, value);
    if (!is_safe_file_name(code)) {
      report_failure(kUnsafeOfficeCode, quoted_code(code));
      return false;
    }
    build_office_file(code, office, tables, file);
    if (!write_json_file(folder + "/" + code + ".json", file)) return false;
  }
  return true;
}

int run(int argc, char** argv) {
  print_start_up(argc > 0 ? argv[0] : "");
  if (argc < 3) return kExitFailure;
  const std::string folder = argv[2];
  const json* document = load_area_list(argv[1]);
  if (document == nullptr) return kExitFailure;
  const AreaTables tables = take_area_tables(*document);
  const json index = build_centre_index(tables.centers, tables.offices);
  if (!write_json_file(folder + "/centers.json", index)) return kExitFailure;
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
