#pragma once
// The fill that region images are made with: the MemoryBlock plug-in's
// "MemoryBlock.FillBytesQVX(offset as integer, count as integer, value as integer)".
// Start-up points it at the bound plug-in entry. Until then a fill with the
// same rules stands in for it.

#include <cstdint>
#include <functional>

#include "framework/memoryblock.h"

namespace HID {

using FillBytesEntry =
    std::function<void(framework::MemoryBlock& block, int32_t offset, int32_t count, int32_t value)>;

// Sets `count` bytes of `block` from `offset` to value And &hFF. A count of 0
// or less means the whole block from `offset`; a negative offset writes
// nothing. The stand-in never writes outside the block: a fill that would pass
// its end is cut there, and a block of unknown size is left alone.
void FillBytesQVX(framework::MemoryBlock& block, int32_t offset, int32_t count, int32_t value);

// Replaces the fill; an empty entry restores the stand-in.
void SetFillBytesEntry(FillBytesEntry entry);

}  // namespace HID
