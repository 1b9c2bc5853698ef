#include "block_access.h"

#include "plugincommon/plugincommon.h"

namespace qvxmemory {

using plugincommon::Service;

BlockView ViewBlock(REALmemoryBlock block) {
  BlockView view;
  if (block == nullptr || !plugincommon::HasService(Service::memoryBlockGetPtr) ||
      !plugincommon::HasService(Service::memoryBlockGetSize)) {
    return view;
  }
  view.size = plugincommon::host::memoryBlockGetSize(block);
  view.bytes = static_cast<unsigned char*>(plugincommon::host::memoryBlockGetPtr(block));
  view.available = view.bytes != nullptr;
  return view;
}

void RaiseNilBlock() { plugincommon::RaiseException("NilObjectException", "memoryblock is nil"); }

}  // namespace qvxmemory
