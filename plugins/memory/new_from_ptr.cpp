#include <cstdint>

#include "definitions.h"
#include "plugincommon/plugincommon.h"

namespace qvxmemory {

// The address arrives as the declared 32-bit integer and is taken as its
// unsigned value, the way a 32-bit process holds addresses.
REALmemoryBlock newMemoryblockPtr(int32_t ptr) {
  if (ptr == 0) return nullptr;
  auto address = static_cast<uintptr_t>(static_cast<uint32_t>(ptr));
  return plugincommon::host::PtrToMemoryBlock(reinterpret_cast<void*>(address));
}

REALmethodDefinition NewMemoryBlockFromPtrMethod = {
    Entry(&newMemoryblockPtr), nullptr, "NewMemoryBlockFromPtrQVX(ptr as integer) as memoryblock", 4, {}};

}  // namespace qvxmemory
