// What the library's readers share among themselves; a sketch has no use for it.
#pragma once

#include "Parcelo.h"
#include "ParceloJson.h"

namespace parcelo {

// The call's error for the reader's: a name too long and a stream that stalls keep theirs; any
// other, the document not being what the call reads, is `malformed`.
Error fromJson(JsonError error, Error::Code malformed);

}  // namespace parcelo
