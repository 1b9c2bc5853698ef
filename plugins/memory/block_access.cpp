#include "block_access.h"

#include <algorithm>

#include "plugincommon/plugincommon.h"

namespace qvxmemory {

using plugincommon::Service;

BlockView ViewBlockOfAnySize(REALmemoryBlock block) {
  BlockView view;
  if (block == nullptr || !plugincommon::HasService(Service::memoryBlockGetPtr)) return view;
  view.hosted = true;
  if (plugincommon::HasService(Service::memoryBlockGetSize)) view.size = plugincommon::host::memoryBlockGetSize(block);
  view.bytes = static_cast<unsigned char*>(plugincommon::host::memoryBlockGetPtr(block));
  view.available = view.bytes != nullptr;
  return view;
}

BlockView ViewBlock(REALmemoryBlock block) {
  if (!plugincommon::HasService(Service::memoryBlockGetSize)) return {};
  return ViewBlockOfAnySize(block);
}

int64_t LengthInside(const BlockView& view, int64_t offset, int64_t length) {
  if (!view.available || offset < 0 || length <= 0) return 0;
  if (!view.SizeKnown()) return length;
  if (offset >= view.size) return 0;
  return std::min<int64_t>(length, view.size - offset);
}

bool RangeInside(const BlockView& view, int64_t offset, int64_t length) {
  if (!view.available || offset < 0 || length < 0) return false;
  return !view.SizeKnown() || length <= view.size - offset;
}

bool BitRangeInside(const BlockView& view, int64_t offset_bit, int64_t length_bits) {
  if (!view.available || offset_bit < 0 || length_bits < 0) return false;
  return !view.SizeKnown() || length_bits <= int64_t{view.size} * 8 - offset_bit;
}

void RaiseNilBlock() { plugincommon::RaiseException("NilObjectException", "memoryblock is nil"); }

void RaiseNilPtr() { plugincommon::RaiseException("NilObjectException", "ptr is nil"); }

void RaiseNegativeOffset() { plugincommon::RaiseException("UnsupportedOperationException", "offset < 0"); }

}  // namespace qvxmemory
