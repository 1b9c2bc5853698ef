// AddressQVX and AddressPtrQVX: where a byte of a block lies.

#include <cstdint>

#include "block_access.h"
#include "extension_routines.h"

namespace qvxmemory {
namespace {

// 0 for a nil block, one without bytes, a negative offset, or an offset past
// the end of a block of known size (the end itself is allowed).
uintptr_t AddressOf(REALmemoryBlock block, int64_t offset) {
  BlockView view = ViewBlock(block);
  if (!view.available || offset < 0) return 0;
  if (view.SizeKnown() && offset > view.size) return 0;
  // As an integer: the address may lie past what the block can show.
  return reinterpret_cast<uintptr_t>(view.bytes) + static_cast<uintptr_t>(offset);
}

}  // namespace

uint64_t AddressQVX(REALmemoryBlock block, int64_t offset) { return AddressOf(block, offset); }

void* AddressPtrQVX(REALmemoryBlock block, int64_t offset) { return reinterpret_cast<void*>(AddressOf(block, offset)); }

}  // namespace qvxmemory
