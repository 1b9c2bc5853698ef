#include <cstdlib>
#include <cstring>

#include "plugincommon/marshalling.h"

namespace plugincommon {

void* AllocZeroed(int64_t size) {
  if (size < 1 || size > 0x7FFFFFFF) return nullptr;
  return std::calloc(1, static_cast<size_t>(size));
}

void FreeAlloc(void* block) { std::free(block); }

void ClearBytes(void* buffer, int64_t count) {
  if (buffer != nullptr && count > 0) std::memset(buffer, 0, static_cast<size_t>(count));
}

}  // namespace plugincommon
