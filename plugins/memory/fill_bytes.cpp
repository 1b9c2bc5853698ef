#include <algorithm>
#include <cstring>

#include "block_access.h"
#include "extension_routines.h"

namespace qvxmemory {

void fillbytes(REALmemoryBlock block, int32_t offset, int32_t count, int32_t value) {
  if (block == nullptr) {
    RaiseNilBlock();
    return;
  }
  BlockView view = ViewBlock(block);
  if (!view.available) return;
  // A count of 0 or less fills the whole block, which only makes sense from
  // offset 0; the cut below keeps any other offset inside the block.
  if (count <= 0) count = view.size;
  if (count <= 0 || offset < 0) return;

  // 64-bit, so offset + count cannot wrap.
  int64_t end = static_cast<int64_t>(offset) + count;
  if (view.SizeKnown()) {
    if (offset >= view.size) return;
    end = std::min<int64_t>(end, view.size);
  }
  std::memset(view.bytes + offset, value & 0xFF, static_cast<size_t>(end - offset));
}

}  // namespace qvxmemory
