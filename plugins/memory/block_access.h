#pragma once
// What every extension method does first: look at the block the way the host
// reports it on this very call, and raise the shared exceptions.

#include <cstdint>

#include "plugin_interface.h"

namespace qvxmemory {

// The block's bytes and size as the host reports them now. Nothing is cached:
// a block may be resized between two calls.
struct BlockView {
  unsigned char* bytes = nullptr;
  int32_t size = 0;          // 0 or less: the size is unknown
  bool available = false;    // false: the host lacks a service or gave no bytes

  bool SizeKnown() const { return size > 0; }
};

// Needs memoryBlockGetPtr and memoryBlockGetSize; without either the view is
// unavailable and the member gives its neutral result.
BlockView ViewBlock(REALmemoryBlock block);

// NilObjectException "memoryblock is nil", raised in the caller.
void RaiseNilBlock();

}  // namespace qvxmemory
