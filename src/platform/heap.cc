#include "platform/platform.h"

#if defined(__linux__) && defined(__GLIBC__)

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace parcelo::platform {

namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
// The parsed document takes about seven times the size of the list; eight leaves room.
constexpr std::uintmax_t kDocumentPerListByte = 8;
constexpr std::uintmax_t kSmallestWorthIt = 8 * kHugePage;
constexpr std::uintmax_t kLargest = std::uintmax_t{1} << 40;
constexpr int kDefaultPad = 128 << 10;  // glibc's own top pad and trim threshold

std::uintptr_t address(void* p) { return reinterpret_cast<std::uintptr_t>(p); }

}  // namespace

// Filling millions of small blocks otherwise costs one page fault per 4 KiB, which on virtual
// machines takes longer than the parse itself.
void prepare_heap(std::uintmax_t list_bytes) {
  if (list_bytes > kLargest / kDocumentPerListByte) return;  // also a size that was not to be had
  const std::uintmax_t want = list_bytes * kDocumentPerListByte;
  if (want < kSmallestWorthIt) return;
  // The next growth of the heap takes `want` at once, and nothing is given back while the
  // document is built.
  const int pad = static_cast<int>(std::min<std::uintmax_t>(want, 1u << 30));
  mallopt(M_TOP_PAD, pad);
  mallopt(M_TRIM_THRESHOLD, pad);
  const std::uintptr_t start = address(sbrk(0));
  // Blocks below the mmap threshold come from the heap: take them until the heap grows. The
  // list of them lives on the stack, so that nothing else lands in the new memory.
  void* blocks[16];
  int taken = 0;
  while (taken < 16 && address(sbrk(0)) == start) blocks[taken++] = std::malloc(64 << 10);
  for (int i = 0; i < taken; ++i) std::free(blocks[i]);
  const std::uintptr_t end = address(sbrk(0));
  // Later growth asks for no more than it needs, so that a tight memory limit is met as before.
  mallopt(M_TOP_PAD, kDefaultPad);
  if (end == start) mallopt(M_TRIM_THRESHOLD, kDefaultPad);
  const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = end & ~(kHugePage - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

}  // namespace parcelo::platform

#else

namespace parcelo::platform {

void prepare_heap(std::uintmax_t) {}

}  // namespace parcelo::platform

#endif
