// What a run of the tool gives: its exit status and its two console streams.

#ifndef PARCELO_TESTS_PROCESS_RESULT_H_
#define PARCELO_TESTS_PROCESS_RESULT_H_

#include <string>

namespace parcelo::testing {

struct ProcessResult {
  int status = -1;  // the exit status, or 128 + the signal that ended the process
  std::string out;
  std::string err;
};

}  // namespace parcelo::testing

#endif  // PARCELO_TESTS_PROCESS_RESULT_H_
