#include <cstdio>
#include <cstring>

#include "plugincommon/host_services.h"
#include "plugincommon/marshalling.h"

namespace plugincommon {

REALmemoryBlock NewMemoryBlockFromBytes(const void* bytes, int64_t size) {
  if (bytes == nullptr || size <= 0) return nullptr;
  REALmemoryBlock block = size < 0x7FFFFFFF ? host::newMemoryBlock(static_cast<int32_t>(size)) : nullptr;
  if (block == nullptr) {
    char message[200] = {};
    std::snprintf(message, sizeof message, "Failed to allocate a memoryblock with %lld bytes in size.",
                  static_cast<long long>(size));
    RaiseException("OutOfMemoryException", message);
    return nullptr;
  }
  void* target = host::memoryBlockGetPtr(block);
  if (target == nullptr) {
    // The caller never sees this block, so its one reference is ours to drop.
    host::REALUnlockObject(reinterpret_cast<REALobject>(block));
    return nullptr;
  }
  std::memcpy(target, bytes, static_cast<size_t>(size));
  return block;
}

}  // namespace plugincommon
