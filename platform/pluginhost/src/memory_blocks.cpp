#include "framework/memoryblock.h"
#include "pluginhost/handles.h"
#include "services.h"

namespace pluginhost::services {

REALmemoryBlock newMemoryBlock(int32_t size) { return to_handle(framework::NewMemoryBlock(size).detach()); }

void* memoryBlockGetPtr(REALmemoryBlock block) {
  framework::MemoryBlock* b = from_handle(block);
  return b != nullptr ? b->data() : nullptr;
}

// A block over foreign memory of unknown size reports -1: "0 or less".
int32_t memoryBlockGetSize(REALmemoryBlock block) {
  framework::MemoryBlock* b = from_handle(block);
  return b != nullptr ? b->Size() : 0;
}

REALmemoryBlock PtrToMemoryBlock(void* address) { return to_handle(framework::foreign_memory_block(address).detach()); }

}  // namespace pluginhost::services
