// CopyNthBytesQVX and CopyNthBitsQVX: every n-th group of a source gathered
// into a packed run of the block. A call whose groups would reach outside a
// block of known size, or start before a block, copies nothing and answers
// false.

#include <algorithm>
#include <cstring>

#include "bit_order.h"
#include "block_access.h"
#include "extension_routines.h"

namespace qvxmemory {

REALboolean CopyNthBytes(REALmemoryBlock block, REALmemoryBlock source, int32_t sourceOffsetBytes,
                         int32_t destinationOffsetBytes, int32_t byteCount, int32_t stepCount, int32_t numberOfSteps) {
  if (source == nullptr || block == nullptr) {
    RaiseNilBlock();
    return 0;
  }
  if (numberOfSteps < 1) return 1;
  BlockView from = ViewBlockOfAnySize(source);
  BlockView to = ViewBlockOfAnySize(block);
  if (!from.available || !to.available || byteCount < 0) return 0;
  if (byteCount == 0) return 1;

  // Group k starts at sourceOffsetBytes + k * stepCount; a negative step
  // walks down. All of this fits 64 bits for 32-bit arguments.
  const int64_t first = sourceOffsetBytes;
  const int64_t last = first + int64_t{numberOfSteps - 1} * stepCount;
  const int64_t low = std::min(first, last);
  const int64_t high = std::max(first, last) + byteCount;
  if (!RangeInside(from, low, high - low)) return 0;
  if (!RangeInside(to, destinationOffsetBytes, int64_t{numberOfSteps} * byteCount)) return 0;

  // Each group moves as one block copy.
  for (int64_t k = 0; k < numberOfSteps; ++k) {
    std::memmove(to.bytes + destinationOffsetBytes + k * byteCount, from.bytes + first + k * stepCount,
                 static_cast<size_t>(byteCount));
  }
  return 1;
}

REALboolean CopyNthBits(REALmemoryBlock block, REALmemoryBlock source, int32_t sourceOffsetBits,
                        int32_t destinationOffsetBits, int32_t bitCount, int32_t stepCount, int32_t numberOfSteps) {
  if (source == nullptr || block == nullptr) {
    RaiseNilBlock();
    return 0;
  }
  BlockView from = ViewBlockOfAnySize(source);
  BlockView to = ViewBlockOfAnySize(block);
  if (!from.available || !to.available || sourceOffsetBits < 0 || destinationOffsetBits < 0) return 0;

  const int64_t steps = std::max(numberOfSteps, 0);
  const int64_t count = std::max(bitCount, 0);
  const int64_t gap = std::max(stepCount, 0);
  const int64_t copied = steps * count;

  // The bits read, and the destination bytes the accumulator is stored into:
  // from the byte holding the first output bit to the one holding the last,
  // or, when nothing is copied from inside a byte, that byte alone.
  if (copied > 0 && !BitRangeInside(from, sourceOffsetBits, (steps - 1) * (count + gap) + count)) return 0;
  const int64_t first_byte = destinationOffsetBits / 8;
  const int64_t end_bit = destinationOffsetBits + copied;
  const int64_t end_byte = (end_bit + 7) / 8;
  if (end_byte > first_byte && !RangeInside(to, first_byte, end_byte - first_byte)) return 0;

  // The destination is written whole bytes at a time from an accumulator that
  // starts empty, so the bits in front of the first copied bit and behind the
  // last one in their bytes become 0.
  int64_t cursor = sourceOffsetBits;
  int64_t out = destinationOffsetBits;
  unsigned accumulator = 0;
  for (int64_t step = 0; step < steps; ++step) {
    for (int64_t i = 0; i < count; ++i) {
      accumulator |= GetBit(from.bytes, cursor) << (7 - (out & 7));
      ++cursor;
      ++out;
      if ((out & 7) == 0) {
        to.bytes[(out - 1) >> 3] = static_cast<unsigned char>(accumulator);
        accumulator = 0;
      }
    }
    cursor += gap;
  }
  if ((out & 7) != 0) to.bytes[out >> 3] = static_cast<unsigned char>(accumulator);
  return 1;
}

}  // namespace qvxmemory
