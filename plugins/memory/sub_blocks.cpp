// MidQVX, LeftQVX, RightQVX and AppendQVX: new blocks made of a block's bytes.

#include <algorithm>
#include <cstring>

#include "block_access.h"
#include "extension_routines.h"
#include "plugincommon/plugincommon.h"

namespace qvxmemory {
namespace {

// A copy of `length` bytes from `offset`, both already inside the block.
REALmemoryBlock CopyOut(const BlockView& view, int64_t offset, int64_t length) {
  return plugincommon::NewMemoryBlockFromBytes(view.bytes + offset, length);
}

// The sub-blocks need a block whose size is known and whose bytes are there.
bool Sized(const BlockView& view) { return view.available && view.SizeKnown(); }

}  // namespace

REALmemoryBlock getMid1(REALmemoryBlock block, int32_t offset) {
  if (block == nullptr) {
    RaiseNilBlock();
    return nullptr;
  }
  BlockView view = ViewBlock(block);
  if (!Sized(view) || offset < 0 || offset >= view.size) return nullptr;
  return CopyOut(view, offset, view.size - offset);
}

REALmemoryBlock getMid2(REALmemoryBlock block, int32_t offset, int32_t length) {
  if (block == nullptr) {
    RaiseNilBlock();
    return nullptr;
  }
  BlockView view = ViewBlock(block);
  if (!Sized(view) || length < 1 || offset < 0 || offset >= view.size) return nullptr;
  return CopyOut(view, offset, std::min<int64_t>(length, view.size - offset));
}

REALmemoryBlock getLeft(REALmemoryBlock block, int32_t length) {
  if (block == nullptr) {
    RaiseNilBlock();
    return nullptr;
  }
  BlockView view = ViewBlock(block);
  if (!Sized(view) || length < 1) return nullptr;
  return CopyOut(view, 0, std::min(length, view.size));
}

REALmemoryBlock getRight(REALmemoryBlock block, int32_t length) {
  if (block == nullptr) {
    RaiseNilBlock();
    return nullptr;
  }
  BlockView view = ViewBlock(block);
  if (!Sized(view) || length < 1) return nullptr;
  int32_t n = std::min(length, view.size);
  return CopyOut(view, view.size - n, n);
}

REALmemoryBlock getAppend(REALmemoryBlock block, REALmemoryBlock other) {
  if (block == nullptr || other == nullptr) {
    RaiseNilBlock();
    return nullptr;
  }
  BlockView first = ViewBlock(block);
  BlockView second = ViewBlock(other);
  if (!first.hosted || !second.hosted) return nullptr;
  const int64_t s1 = first.SizeKnown() ? first.size : 0;
  const int64_t s2 = second.SizeKnown() ? second.size : 0;
  // A block that claims bytes but gives none cannot be joined.
  if ((s1 > 0 && !first.available) || (s2 > 0 && !second.available)) return nullptr;
  if (s1 == 0 && s2 == 0) return nullptr;
  if (s2 == 0) return CopyOut(first, 0, s1);
  if (s1 == 0) return CopyOut(second, 0, s2);

  // Joining two blocks fails quietly, unlike copying one.
  if (s1 + s2 > 2147483646) return nullptr;
  REALmemoryBlock joined = plugincommon::host::newMemoryBlock(static_cast<int32_t>(s1 + s2));
  if (joined == nullptr) return nullptr;
  auto* target = static_cast<unsigned char*>(plugincommon::host::memoryBlockGetPtr(joined));
  if (target == nullptr) {
    plugincommon::host::REALUnlockObject(reinterpret_cast<REALobject>(joined));
    return nullptr;
  }
  std::memcpy(target, first.bytes, static_cast<size_t>(s1));
  std::memcpy(target + s1, second.bytes, static_cast<size_t>(s2));
  return joined;
}

}  // namespace qvxmemory
