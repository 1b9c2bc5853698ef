#pragma once
// Routines of the MemoryBlock class extension. Each takes the block it is
// called on first, then the declared arguments.

#include <cstdint>

#include "plugin_interface.h"

namespace qvxmemory {

void fillbytes(REALmemoryBlock block, int32_t offset, int32_t count, int32_t value);
int32_t GetBlockSize(REALmemoryBlock block, REALsword param);

}  // namespace qvxmemory
