// MirrorBitsInBytesQVX, MirrorBytesQVX and MirrorBitsQVX: reversals in place.
// A range that runs past the end of a block of known size is cut there.

#include <algorithm>
#include <cstring>

#include "bit_order.h"
#include "block_access.h"
#include "extension_routines.h"

namespace qvxmemory {
namespace {

uint32_t LoadWord(const unsigned char* p) {
  uint32_t w;
  std::memcpy(&w, p, 4);
  return w;
}

void StoreWord(unsigned char* p, uint32_t w) { std::memcpy(p, &w, 4); }

// Reverses n bytes; a run of whole 32-bit words goes a word at a time.
void ReverseBytes(unsigned char* p, int64_t n) {
  if (n % 4 != 0) {
    std::reverse(p, p + n);
    return;
  }
  const int64_t words = n / 4;
  for (int64_t i = 0; i < words / 2; ++i) {
    unsigned char* low = p + 4 * i;
    unsigned char* high = p + 4 * (words - 1 - i);
    const uint32_t a = LoadWord(low);
    StoreWord(low, __builtin_bswap32(LoadWord(high)));
    StoreWord(high, __builtin_bswap32(a));
  }
  if (words % 2 != 0) {
    unsigned char* middle = p + 4 * (words / 2);
    StoreWord(middle, __builtin_bswap32(LoadWord(middle)));
  }
}

}  // namespace

void MirrorBitsInBytesQVX(REALmemoryBlock block, int32_t offsetByte, int32_t lengthByte) {
  if (block == nullptr) {
    RaiseNilBlock();
    return;
  }
  BlockView view = ViewBlockOfAnySize(block);
  const int64_t n = LengthInside(view, offsetByte, lengthByte);
  if (n <= 0) return;
  unsigned char* p = view.bytes + offsetByte;
  for (int64_t i = 0; i < n; ++i) p[i] = kBitReversal[p[i]];
}

void MirrorBytesQVX(REALmemoryBlock block, int32_t offsetByte, int32_t lengthByte) {
  if (block == nullptr) {
    RaiseNilBlock();
    return;
  }
  BlockView view = ViewBlockOfAnySize(block);
  if (!view.available) return;
  // A negative length means the whole block; from an offset above 0 the cut
  // below keeps that to the block's end.
  const int64_t length = lengthByte < 0 ? view.size : lengthByte;
  if (length < 2) return;
  const int64_t n = LengthInside(view, offsetByte, length);
  if (n >= 2) ReverseBytes(view.bytes + offsetByte, n);
}

void MirrorBitsQVX(REALmemoryBlock block, int32_t offsetBit, int32_t lengthBit) {
  if (block == nullptr) {
    RaiseNilBlock();
    return;
  }
  if (lengthBit < 2) return;
  BlockView view = ViewBlockOfAnySize(block);
  if (!view.available || offsetBit < 0) return;
  int64_t n = lengthBit;
  if (view.SizeKnown()) n = std::min<int64_t>(n, int64_t{view.size} * 8 - offsetBit);
  // Each exchange reads both bits before writing either, so two bits of one
  // byte exchange correctly.
  for (int64_t i = 0; i < n / 2; ++i) {
    const int64_t a = int64_t{offsetBit} + i;
    const int64_t b = int64_t{offsetBit} + n - 1 - i;
    const unsigned bit_a = GetBit(view.bytes, a);
    const unsigned bit_b = GetBit(view.bytes, b);
    SetBit(view.bytes, a, bit_b);
    SetBit(view.bytes, b, bit_a);
  }
}

}  // namespace qvxmemory
