// InvertBytesQVX: the bitwise complement of a range, in place; cut at the end
// of a block of known size.

#include <cstring>

#include "block_access.h"
#include "extension_routines.h"

namespace qvxmemory {

void InvertBytesQVX(REALmemoryBlock block, int32_t offset, int32_t count) {
  if (block == nullptr) {
    RaiseNilBlock();
    return;
  }
  BlockView view = ViewBlockOfAnySize(block);
  const int64_t n = LengthInside(view, offset, count);
  if (n <= 0) return;
  unsigned char* p = view.bytes + offset;
  // Eight bytes at a time (the compiler widens this to vector steps), the
  // rest one by one; the result is the same.
  int64_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t word;
    std::memcpy(&word, p + i, 8);
    word = ~word;
    std::memcpy(p + i, &word, 8);
  }
  for (; i < n; ++i) p[i] = static_cast<unsigned char>(~p[i]);
}

}  // namespace qvxmemory
