#ifndef PARCELO_DRIVER_HEAP_H_
#define PARCELO_DRIVER_HEAP_H_

#include <cstdint>

namespace parcelo {

// Prepares the heap for the document parsed from a list of `list_bytes` bytes: on Linux it grows
// the heap once to the document's expected size and asks for it to be backed by huge pages.
// Filling millions of small blocks otherwise costs one page fault per 4 KiB, which on virtual
// machines takes longer than the parse itself. Does nothing for small lists, on other hosts, or
// when the memory is not to be had; never fails.
void prepare_heap(std::uintmax_t list_bytes);

}  // namespace parcelo

#endif  // PARCELO_DRIVER_HEAP_H_
