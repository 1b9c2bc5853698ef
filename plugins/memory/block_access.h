#pragma once
// What every extension method does first: look at the block the way the host
// reports it on this very call, keep its ranges inside it, and raise the
// shared exceptions.

#include <cstdint>

#include "plugin_interface.h"

namespace qvxmemory {

// The block's bytes and size as the host reports them now. Nothing is cached:
// a block may be resized between two calls.
struct BlockView {
  unsigned char* bytes = nullptr;
  int32_t size = 0;        // 0 or less: the size is unknown
  bool hosted = false;     // the host has both block services and the block is not nil
  bool available = false;  // hosted, and the host gave the block's bytes

  bool SizeKnown() const { return size > 0; }
};

// Needs memoryBlockGetPtr and memoryBlockGetSize; without either the view is
// unavailable and the member gives its neutral result.
BlockView ViewBlock(REALmemoryBlock block);
// For the members that bound their ranges by the size only to stay inside
// the block (the bit and byte transforms, the float pairs): needs only
// memoryBlockGetPtr; without memoryBlockGetSize the size is unknown and the
// range stands as named.
BlockView ViewBlockOfAnySize(REALmemoryBlock block);

// How much of [offset, offset + length) lies inside the block: on a block of
// known size the range is cut at the block's end, on one of unknown size it
// stands as named. 0 for a negative offset, a length of 0 or less, an
// unavailable block, or a range that starts at or past the end.
int64_t LengthInside(const BlockView& view, int64_t offset, int64_t length);

// True when [offset, offset + length) lies wholly inside the block: an
// available block, offset and length not negative, and on a block of known
// size offset + length not past its end. Bits: the same in bits.
bool RangeInside(const BlockView& view, int64_t offset, int64_t length);
bool BitRangeInside(const BlockView& view, int64_t offset_bit, int64_t length_bits);

// NilObjectException "memoryblock is nil", raised in the caller.
void RaiseNilBlock();
// NilObjectException "ptr is nil".
void RaiseNilPtr();
// UnsupportedOperationException "offset < 0".
void RaiseNegativeOffset();

}  // namespace qvxmemory
