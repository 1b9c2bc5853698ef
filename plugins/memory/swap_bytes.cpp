// SwapBytesQVX, SwapBytes16QVX and SwapBytes32QVX: byte order of a range, in place.

#include <algorithm>

#include "block_access.h"
#include "extension_routines.h"

namespace qvxmemory {
namespace {

// The range of the swap: cut at the end of a block of known size, as named
// on one of unknown size; nil when there is nothing to swap.
unsigned char* SwapRange(REALmemoryBlock block, int32_t offset, int32_t numBytes, int64_t* n) {
  BlockView view = ViewBlock(block);
  *n = LengthInside(view, offset, numBytes);
  return *n > 0 ? view.bytes + offset : nullptr;
}

}  // namespace

void swapBytes(REALmemoryBlock block, int32_t offset, int32_t numBytes) {
  int64_t n = 0;
  if (unsigned char* p = SwapRange(block, offset, numBytes, &n)) std::reverse(p, p + n);
}

void swapBytes16(REALmemoryBlock block, int32_t offset, int32_t numBytes) {
  int64_t n = 0;
  unsigned char* p = SwapRange(block, offset, numBytes, &n);
  if (p == nullptr) return;
  for (int64_t i = 0; i + 2 <= n; i += 2) std::swap(p[i], p[i + 1]);
}

void swapBytes32(REALmemoryBlock block, int32_t offset, int32_t numBytes) {
  int64_t n = 0;
  unsigned char* p = SwapRange(block, offset, numBytes, &n);
  if (p == nullptr) return;
  for (int64_t i = 0; i + 4 <= n; i += 4) std::reverse(p + i, p + i + 4);
}

}  // namespace qvxmemory
