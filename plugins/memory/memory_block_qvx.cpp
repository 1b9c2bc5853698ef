#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "definitions.h"
#include "plugincommon/plugincommon.h"

namespace qvxmemory {
namespace {

using plugincommon::Service;
namespace host = plugincommon::host;

// The plug-in data of a MemoryBlockQVX. The host hands it out zero-filled,
// which is the empty object: no constructor needed.
struct MemoryBlockQVXData {
  int64_t size;             // bytes in buffer; 0 when empty
  REALmemoryBlock wrapper;  // host block over buffer, one reference held; may be nil
  unsigned char* buffer;    // owned; null when empty
};

constexpr int64_t kMaxCreateSize = 0x7FFFFFFF;

MemoryBlockQVXData* DataOf(REALobject instance) {
  return plugincommon::PluginData<MemoryBlockQVXData>(instance, MemoryBlockQVXClass);
}

REALmemoryBlock WrapBuffer(unsigned char* buffer) { return host::PtrToMemoryBlock(buffer); }

}  // namespace

void MemClose(REALobject instance) {
  MemoryBlockQVXData* data = DataOf(instance);
  if (data == nullptr) return;
  if (data->wrapper != nullptr) host::REALUnlockObject(reinterpret_cast<REALobject>(data->wrapper));
  data->wrapper = nullptr;
  std::free(data->buffer);
  data->buffer = nullptr;
  data->size = 0;
}

REALboolean CreateMem(REALobject instance, int64_t size) {
  MemoryBlockQVXData* data = DataOf(instance);
  if (data == nullptr) return 0;
  MemClose(instance);
  if (size < 1 || size > kMaxCreateSize) return 0;
  auto* buffer = static_cast<unsigned char*>(std::calloc(1, static_cast<size_t>(size)));
  if (buffer == nullptr) return 0;
  data->buffer = buffer;
  data->size = size;
  data->wrapper = WrapBuffer(buffer);
  return 1;
}

REALboolean Resize(REALobject instance, int64_t size) {
  MemoryBlockQVXData* data = DataOf(instance);
  if (data == nullptr || size <= 0) return 0;
  // Where an allocation size is narrower than 64 bits, a size that does not
  // fit is refused rather than shortened behind the stored size.
  if (static_cast<uint64_t>(size) > SIZE_MAX) return 0;
  auto* buffer = static_cast<unsigned char*>(std::realloc(data->buffer, static_cast<size_t>(size)));
  if (buffer == nullptr) return 0;
  if (data->wrapper != nullptr) host::REALUnlockObject(reinterpret_cast<REALobject>(data->wrapper));
  data->buffer = buffer;
  data->size = size;
  data->wrapper = WrapBuffer(buffer);
  return 1;
}

int64_t GetAddress(REALobject instance, REALsword /*param*/) {
  MemoryBlockQVXData* data = DataOf(instance);
  return data != nullptr ? static_cast<int64_t>(reinterpret_cast<uintptr_t>(data->buffer)) : 0;
}

int64_t GetSize(REALobject instance, REALsword /*param*/) {
  MemoryBlockQVXData* data = DataOf(instance);
  return data != nullptr ? data->size : 0;
}

REALmemoryBlock GetMemory(REALobject instance, REALsword /*param*/) {
  MemoryBlockQVXData* data = DataOf(instance);
  if (data == nullptr || data->wrapper == nullptr) return nullptr;
  // The caller gets a reference of its own; without the service to add one
  // there is nothing safe to hand out.
  if (!plugincommon::HasService(Service::REALLockObject)) return nullptr;
  host::REALLockObject(reinterpret_cast<REALobject>(data->wrapper));
  return data->wrapper;
}

namespace {

static_assert(sizeof(MemoryBlockQVXData) <= 32, "MemoryBlockQVX registers 32 bytes of data");
static_assert(offsetof(MemoryBlockQVXData, size) == 0 && offsetof(MemoryBlockQVXData, wrapper) == 8 &&
                  offsetof(MemoryBlockQVXData, buffer) == 8 + sizeof(void*),
              "size, wrapper, buffer in this order; the pointers take pointer size");

// Read-only: no setter; each getter gets the instance and the parameter 0.
REALproperty properties[] = {
    {0, "Address", "Int64", 6, Entry(&GetAddress), nullptr, 0, {}},
    {0, "Size", "Int64", 6, Entry(&GetSize), nullptr, 0, {}},
    {0, "Memory", "Memoryblock", 6, Entry(&GetMemory), nullptr, 0, {}},
};

REALmethodDefinition methods[] = {
    {Entry(&Resize), nullptr, "Resize(Size as Int64) as boolean", 4, {}},
    {Entry(&MemClose), nullptr, "Close", 4, {}},
    {Entry(&CreateMem), nullptr, "Create(size as Int64) as boolean", 4, {}},
};

}  // namespace

REALclassDefinition MemoryBlockQVXClass = ClassRecord("MemoryBlockQVX", 32, Entry(&MemClose), properties, methods);

}  // namespace qvxmemory
