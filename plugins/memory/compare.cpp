// BytesEqualQVX and BytesZeroQVX. A range that leaves a block of known size
// has no bytes to compare there and answers false.

#include <algorithm>
#include <cstring>

#include "block_access.h"
#include "extension_routines.h"

namespace qvxmemory {

REALboolean BytesEqualQVX(REALmemoryBlock block, int32_t srcOfs, int32_t numBytes, REALmemoryBlock destBlk,
                          int32_t destOfs) {
  BlockView source = ViewBlock(block);
  BlockView dest = ViewBlock(destBlk);
  if (!source.available || !dest.available || numBytes < 0) return 0;
  if (numBytes == 0) return 1;
  if (!RangeInside(source, srcOfs, numBytes) || !RangeInside(dest, destOfs, numBytes)) return 0;
  return std::memcmp(source.bytes + srcOfs, dest.bytes + destOfs, static_cast<size_t>(numBytes)) == 0 ? 1 : 0;
}

REALboolean BytesZeroQVX(REALmemoryBlock block, int32_t srcOfs, int32_t numBytes) {
  BlockView view = ViewBlock(block);
  if (!view.available) return 0;
  if (numBytes <= 0) return 1;
  if (!RangeInside(view, srcOfs, numBytes)) return 0;
  const unsigned char* p = view.bytes + srcOfs;
  return std::all_of(p, p + numBytes, [](unsigned char b) { return b == 0; }) ? 1 : 0;
}

}  // namespace qvxmemory
