// What the library's readers share among themselves; a sketch has no use for it.
#pragma once

#include "Parcelo.h"
#include "ParceloJson.h"

namespace parcelo {

// A call's outcome once it has read its document, `shaped` false where the shape was wrong: the
// rest of the stream is read (white space only; with a time limit, none of it). The reader's
// error keeps its kind for a name too long and a stream that stalls; any other, or a wrong
// shape, is `malformed`, the document not being what the call reads.
Error outcome(JsonReader& json, bool shaped, Error::Code malformed);

}  // namespace parcelo
