#ifndef PARCELO_DRIVER_OUTCOME_H_
#define PARCELO_DRIVER_OUTCOME_H_

#include <optional>
#include <string>

#include "output/console.h"

namespace parcelo {

// Why a step of the run failed, and its detail, which the run reports. A step that succeeds
// returns no Failure.
struct Failure {
  FailureKind kind;
  std::string detail;
};
using Outcome = std::optional<Failure>;

}  // namespace parcelo

#endif  // PARCELO_DRIVER_OUTCOME_H_
