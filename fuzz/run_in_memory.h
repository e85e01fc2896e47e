// The tool's whole run, run(), on a list held in memory, over the same in-memory host as the
// tests' (tests/fake_host.h), checked as it ends: 0 with every file whole and readable, or 1
// with its failure named and said. Any broken promise ends the process, which the fuzzer reports.

#ifndef PARCELO_FUZZ_RUN_IN_MEMORY_H_
#define PARCELO_FUZZ_RUN_IN_MEMORY_H_

#include <cstdio>
#include <cstdlib>
#include <string>

#include "area/area_tables.h"
#include "fake_host.h"

namespace parcelo::fuzz {

[[noreturn]] inline void fail(const char* what) {
  std::fprintf(stderr, "broken promise: %s\n", what);
  std::abort();
}

inline void check_office_file(const json& file) {
  if (!file.is_array()) fail("an office file is not an array");
  for (const json& entry : file) {
    if (entry.size() != 3 || !entry.at("areaname").is_string() ||
        !entry.at("cityname").is_string() || !entry.at("code").is_string()) {
      fail("an office entry is not {areaname, cityname, code}");
    }
  }
}

inline void run_in_memory(const std::string& list) {
  testing::FakeRun host(testing::FakeHost::kLinux);
  const testing::ProcessResult r = host.run_list(list);
  if (r.status == 1) {
    if (host.failure().empty() || host.failure() == "unexpected" || r.err.empty()) {
      fail("a failure not named, unexpected, or not said");
    }
    return;
  }
  if (r.status != 0) fail("an exit status other than 0 and 1");
  if (!r.err.empty()) fail("a whole run printed an error");
  for (const std::string& name : host.outputs()) {
    const std::string text = host.output(name);
    if (!json::accept(text)) fail("a written file does not read back");
    const json file = json::parse(text);
    if (name == "centers.json") {
      if (!file.is_null() && !file.is_object()) fail("the centre index is not an object");
    } else {
      check_office_file(file);
    }
    if (r.out.find(name) == std::string::npos) fail("a file written but not reported");
  }
}

}  // namespace parcelo::fuzz

#endif  // PARCELO_FUZZ_RUN_IN_MEMORY_H_
