#ifndef PARCELO_OUTPUT_CENTRE_INDEX_H_
#define PARCELO_OUTPUT_CENTRE_INDEX_H_

#include "area/area_tables.h"

namespace parcelo {

// The centre index's file name without ".json", reserved before any office's file.
inline constexpr std::string_view kCentreIndexName = "centers";

// Returns the centre index: an object keyed by centre code, each holding the centre's "name"
// and "children", one {"code", "name"} per office code the centre lists, in list order, named
// from `offices` (the fallback name for a code it lacks). Stays null when `centers` has no
// members. Reads both tables only. Throws MalformedList for a shape it cannot read.
json build_centre_index(const AreaTable& centers, const AreaTable& offices);

}  // namespace parcelo

#endif  // PARCELO_OUTPUT_CENTRE_INDEX_H_
