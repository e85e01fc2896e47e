#ifndef PARCELO_DRIVER_AREA_LIST_H_
#define PARCELO_DRIVER_AREA_LIST_H_

#include <istream>

#include "area/area_tables.h"
#include "driver/outcome.h"

namespace parcelo {

// Parses the agency's list from `input` into `document` and checks that it holds the tables the
// run needs. Returns the failure for a text that is not JSON (or holds a number too large for a
// double), one that ends inside its value (cut off, or empty), or a document without "centers"
// and "offices". A byte-order mark is accepted and text
// after the value is ignored. The one parse of the run, which the fuzzer drives too.
Outcome parse_area_list(std::istream& input, json& document);

}  // namespace parcelo

#endif  // PARCELO_DRIVER_AREA_LIST_H_
