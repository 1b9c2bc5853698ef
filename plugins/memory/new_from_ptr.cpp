#include "definitions.h"
#include "plugincommon/plugincommon.h"

namespace qvxmemory {

// The address comes as a full word: a 32-bit integer would cut off the upper
// half of most addresses on a 64-bit process.
REALmemoryBlock newMemoryblockPtr(REALsword ptr) {
  if (ptr == 0) return nullptr;
  return plugincommon::host::PtrToMemoryBlock(reinterpret_cast<void*>(ptr));
}

REALmethodDefinition NewMemoryBlockFromPtrMethod = {
    Entry(&newMemoryblockPtr), nullptr, "NewMemoryBlockFromPtrQVX(ptr as integer) as memoryblock", 4, {}};

}  // namespace qvxmemory
