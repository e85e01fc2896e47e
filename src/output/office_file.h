#ifndef PARCELO_OUTPUT_OFFICE_FILE_H_
#define PARCELO_OUTPUT_OFFICE_FILE_H_

#include <set>
#include <string>
#include <string_view>

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

// The office files of a list, one at a time, in ascending byte order of the office codes: the
// driver asks for the next, writes it and asks again. An office whose code cannot name its
// file, on every host alike, is refused: one that is not a safe file name (is_safe_file_name),
// or one that a file system ignoring the case of ASCII letters (the default on Windows and
// macOS) would merge with the centre index or an earlier office ("CENTERS", or "ab" after "Ab"),
// so that one list gives the same files everywhere.
class OfficeFiles {
 public:
  explicit OfficeFiles(const AreaTables& tables);

  // Moves to the next office and returns true, or returns false after the last. Throws
  // MalformedList for a shape it cannot read; an office's record is read before its code.
  bool next();

  const std::string& code() const { return code_; }
  // True when the office's code cannot name its file; file() then holds nothing of it.
  bool refused() const { return refused_; }
  // The office's file (build_office_file), in memory the previous office's file leaves; valid
  // until the next call of next().
  const json& file() const { return file_; }

 private:
  const AreaTables& tables_;
  json::const_iterator next_;  // the office that next() moves to
  json::const_iterator end_;
  std::string code_;
  bool refused_ = false;
  json file_;
  std::set<std::string> names_;  // the names so far, ASCII letters in lower case, no ".json"
};

}  // namespace parcelo

#endif  // PARCELO_OUTPUT_OFFICE_FILE_H_
