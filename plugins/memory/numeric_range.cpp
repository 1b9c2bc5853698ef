#include "numeric_range.h"

#include <algorithm>
#include <limits>

#include "block_access.h"
#include "plugincommon/plugincommon.h"

namespace qvxmemory {

using plugincommon::Service;
namespace host = plugincommon::host;

NumericRange::NumericRange(REALmemoryBlock block, int32_t offsetByte, int32_t length) {
  if (block == nullptr) {
    RaiseNilBlock();
    return;
  }
  Start(block, offsetByte, length);
}

NumericRange::NumericRange(REALmemoryBlock block, const void* first, const void* second, int32_t offsetByte,
                           int32_t length) {
  if (block == nullptr) {
    RaiseNilBlock();
    return;
  }
  if (first == nullptr || second == nullptr) {
    RaiseNilPtr();
    return;
  }
  Start(block, offsetByte, length);
}

void NumericRange::Start(REALmemoryBlock block, int32_t offsetByte, int32_t length) {
  if (offsetByte < 0) {
    RaiseNegativeOffset();
    return;
  }
  if (!plugincommon::HasService(Service::memoryBlockGetPtr)) return;
  // Without either reference service the block is only borrowed for the
  // call: a reference that cannot be given back would keep it alive for good.
  // Without the size service the block counts as one of size 0.
  if (plugincommon::HasService(Service::REALLockObject) && plugincommon::HasService(Service::REALUnlockObject)) {
    host::REALLockObject(reinterpret_cast<REALobject>(block));
    held_ = block;
  }
  started_ = true;

  const int64_t size =
      plugincommon::HasService(Service::memoryBlockGetSize) ? std::max(host::memoryBlockGetSize(block), 0) : 0;
  auto* data = static_cast<unsigned char*>(host::memoryBlockGetPtr(block));
  if (data == nullptr) return;  // counts as size 0 and is never written

  int64_t n = length >= 1 ? length : size - offsetByte;
  if (size > 0) {
    room_ = size - offsetByte;
    n = std::min(n, room_);
  } else {
    room_ = std::numeric_limits<int64_t>::max();
  }
  if (n <= 0) return;
  bytes_ = data + offsetByte;
  length_ = n;
}

NumericRange::~NumericRange() {
  if (held_ != nullptr) host::REALUnlockObject(reinterpret_cast<REALobject>(held_));
}

}  // namespace qvxmemory
