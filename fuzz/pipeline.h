// The tool's run on an input held in memory, checked as it goes: the run's own parse and table
// check, the centre index and every office file, serialised as the files hold them. Any broken
// promise ends the process, which the fuzzer reports.

#ifndef PARCELO_FUZZ_PIPELINE_H_
#define PARCELO_FUZZ_PIPELINE_H_

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "area/area_tables.h"
#include "driver/area_list.h"
#include "output/centre_index.h"
#include "output/office_file.h"
#include "output/serialise.h"

namespace parcelo::fuzz {

[[noreturn]] inline void fail(const char* what) {
  std::fprintf(stderr, "broken promise: %s\n", what);
  std::abort();
}

// The text of a file must parse back to the value it was made from.
inline void check_round_trip(const json& value) {
  if (json::parse(serialise(value)) != value) fail("a written file does not read back");
}

inline void check_office_file(const json& file) {
  if (!file.is_array()) fail("an office file is not an array");
  for (const json& entry : file) {
    if (entry.size() != 3 || !entry.at("areaname").is_string() ||
        !entry.at("cityname").is_string() || !entry.at("code").is_string()) {
      fail("an office entry is not {areaname, cityname, code}");
    }
  }
  check_round_trip(file);
}

inline void run_pipeline(const std::string& text) {
  json document;
  std::istringstream input(text);
  if (const Outcome failure = parse_area_list(input, document)) {
    if (failure->kind != FailureKind::kNotJson && failure->kind != FailureKind::kCutOff &&
        failure->kind != FailureKind::kMissingTables) {
      fail("the parse failed with another message");
    }
    return;
  }
  const json before = document;
  const AreaTables tables = area_tables_of(document);
  try {
    const json index = build_centre_index(tables.centers, tables.offices);
    if (!index.is_null() && !index.is_object()) fail("the centre index is not an object");
    check_round_trip(index);
    // The run's own walk; a refused code ends it, as the run stops there with its message.
    for (OfficeFiles offices(tables); offices.next() && !offices.refused();) {
      check_office_file(offices.file());
    }
  } catch (const MalformedList& e) {
    if (std::string(e.what()).empty()) fail("a malformed list without a detail");
  }
  if (document != before) fail("reading the tables changed them");
}

}  // namespace parcelo::fuzz

#endif  // PARCELO_FUZZ_PIPELINE_H_
