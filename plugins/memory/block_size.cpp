#include "extension_routines.h"
#include "plugincommon/plugincommon.h"

namespace qvxmemory {

int32_t GetBlockSize(REALmemoryBlock block, REALsword /*param*/) {
  if (block == nullptr) return 0;
  return plugincommon::host::memoryBlockGetSize(block);
}

}  // namespace qvxmemory
