#ifndef PARCELO_OUTPUT_OFFICE_FILE_H_
#define PARCELO_OUTPUT_OFFICE_FILE_H_

#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "area/area_tables.h"

namespace parcelo {

// Returns the office file of the office stored under `office_code`: an array with one
// {"areaname", "cityname", "code"} per municipality listed under the office, depth first in
// list order through "class10s" and "class15s", where "code" is the class10 code. A class10 or
// class15 code without a record has no children; a municipality without a record gets the
// fallback name. Reads the tables only. Throws MalformedList for a shape it cannot read.
// REQUIRES: `office` is an object.
json build_office_file(std::string_view office_code, const json& office, const AreaTables& tables);

// The same, built into `file`: it is replaced by the office file, reusing the memory of the
// entries it held, so that a run writing office after office allocates little. After a
// MalformedList, `file` holds part of the office file.
void build_office_file(std::string_view office_code, const json& office, const AreaTables& tables,
                       json& file);

// Returns true when `code` can name a file inside the output folder on every host: not empty,
// not "." or "..", free of control characters and of "/", "\", ":", "<", ">", '"', "|", "?" and
// "*", and not a Windows device name (platform::names_windows_device).
bool is_safe_file_name(std::string_view code);

// The file names of a run so far, as a file system that ignores the case of ASCII letters (the
// default on Windows and macOS) sees them: ASCII letters in lower case, without ".json".
using ReservedFileNames = std::set<std::string>;

// Returns the names reserved before any office file: that of the centre index.
ReservedFileNames names_before_offices();

// Reserves the file name of office `code` and returns true, or returns false when the code is
// not a safe file name (is_safe_file_name) or its name is reserved already, so that the
// office's file would replace the centre index or an earlier office's file on such a file
// system ("CENTERS", or "ab" after "Ab"). Refused on every host alike, so that one list gives
// the same files everywhere.
bool reserve_file_name(std::string_view code, ReservedFileNames& reserved);

// Builds the file of each office, in ascending byte order of the office codes, and hands it to
// write(code, file), which returns false to stop; `file` lives only for that call. An office
// whose code cannot name its file (reserve_file_name) goes to refuse(code) instead, and the walk
// stops. Returns true when every office was written. Throws MalformedList for a shape it cannot
// read.
template <typename Write, typename Refuse>
bool for_each_office_file(const AreaTables& tables, Write&& write, Refuse&& refuse) {
  json file;  // one office's file at a time, in memory the previous office's file leaves
  ReservedFileNames reserved = names_before_offices();
  for (const auto& [code, value] : records_of(tables.offices).items()) {
    const json& office = as_record(tables.offices, code, value);
    if (!reserve_file_name(code, reserved)) {
      refuse(code);
      return false;
    }
    build_office_file(code, office, tables, file);
    if (!write(code, std::as_const(file))) return false;
  }
  return true;
}

}  // namespace parcelo

#endif  // PARCELO_OUTPUT_OFFICE_FILE_H_
