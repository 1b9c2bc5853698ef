#include "plugincommon/host_services.h"

#include <atomic>

#include "plugincommon/registration.h"

namespace plugincommon {
namespace {

constexpr const char* kNames[] = {
    "PluginRegisterClass",      "PluginRegisterClassExtension",
    "PluginRegisterMethod",     "REALinRuntime",
    "GetEventInstance",         "PluginNewInstance",
    "REALSetPropValueString",   "REALSetPropValueInt",
    "RuntimeRaiseException",    "REALBuildString",
    "REALSetStringEncoding",    "REALGetStringEncoding",
    "REALConvertString",        "REALLockString",
    "REALUnlockString",         "REALLockObject",
    "REALUnlockObject",         "PluginGetStringData",
    "PluginDisposeStringData",  "StringGetCString",
    "REALLoadGlobalMethod",     "newMemoryBlock",
    "memoryBlockGetPtr",        "memoryBlockGetSize",
    "PtrToMemoryBlock",         "FolderItemFromFSSpec",
    "REALFSSpecFromFolderItem", "PluginFolderItemPath",
    "PluginNewPicture",
};
static_assert(sizeof(kNames) / sizeof(kNames[0]) == static_cast<int>(Service::Count));

// A plug-in's listener thread may be the first to need a service, so the
// slots are atomic; two threads looking up at once both store the same entry.
std::atomic<REALproc> slots[static_cast<int>(Service::Count)];

template <typename Fn>
Fn Find(Service service) {
  return reinterpret_cast<Fn>(FindService(service));
}

}  // namespace

const char* ServiceName(Service service) { return kNames[static_cast<int>(service)]; }

REALproc FindService(Service service) {
  auto& slot = slots[static_cast<int>(service)];
  REALproc entry = slot.load(std::memory_order_acquire);
  if (entry == nullptr && gResolver != nullptr) {
    entry = gResolver(ServiceName(service));
    if (entry != nullptr) slot.store(entry, std::memory_order_release);
  }
  return entry;
}

void ForgetServices() {
  for (auto& slot : slots) slot.store(nullptr, std::memory_order_release);
}

namespace host {

#define PLUGINCOMMON_CALL(name, neutral, ...)                              \
  do {                                                                     \
    if (auto fn = Find<name##Proc>(Service::name)) return fn(__VA_ARGS__); \
    return neutral;                                                        \
  } while (0)

#define PLUGINCOMMON_DO(name, ...)                                  \
  do {                                                              \
    if (auto fn = Find<name##Proc>(Service::name)) fn(__VA_ARGS__); \
  } while (0)

void PluginRegisterClass(REALclassDefinition* definition) { PLUGINCOMMON_DO(PluginRegisterClass, definition); }
void PluginRegisterClassExtension(REALclassDefinition* definition) {
  PLUGINCOMMON_DO(PluginRegisterClassExtension, definition);
}
void PluginRegisterMethod(REALmethodDefinition* method) { PLUGINCOMMON_DO(PluginRegisterMethod, method); }
bool REALinRuntime() {
  auto fn = Find<REALinRuntimeProc>(Service::REALinRuntime);
  return fn != nullptr && fn() != 0;
}
REALproc GetEventInstance(REALobject instance, REALword eventHostWord) {
  PLUGINCOMMON_CALL(GetEventInstance, nullptr, instance, eventHostWord);
}
REALobject PluginNewInstance(const char* className) { PLUGINCOMMON_CALL(PluginNewInstance, nullptr, className); }
void REALSetPropValueString(REALobject object, const char* propertyName, REALstring value) {
  PLUGINCOMMON_DO(REALSetPropValueString, object, propertyName, value);
}
void REALSetPropValueInt(REALobject object, const char* propertyName, int32_t value) {
  PLUGINCOMMON_DO(REALSetPropValueInt, object, propertyName, value);
}
void RuntimeRaiseException(REALobject exception) { PLUGINCOMMON_DO(RuntimeRaiseException, exception); }
REALstring REALBuildString(const void* bytes, int32_t length) {
  PLUGINCOMMON_CALL(REALBuildString, nullptr, bytes, length);
}
void REALSetStringEncoding(REALstring string, uint32_t encoding) {
  PLUGINCOMMON_DO(REALSetStringEncoding, string, encoding);
}
uint32_t REALGetStringEncoding(REALstring string) { PLUGINCOMMON_CALL(REALGetStringEncoding, 0u, string); }
REALstring REALConvertString(REALstring string, uint32_t encoding) {
  PLUGINCOMMON_CALL(REALConvertString, nullptr, string, encoding);
}
void REALLockString(REALstring string) { PLUGINCOMMON_DO(REALLockString, string); }
void REALUnlockString(REALstring string) { PLUGINCOMMON_DO(REALUnlockString, string); }
void REALLockObject(REALobject object) { PLUGINCOMMON_DO(REALLockObject, object); }
void REALUnlockObject(REALobject object) { PLUGINCOMMON_DO(REALUnlockObject, object); }
bool PluginGetStringData(REALstring string, uint32_t encoding, REALstringData* out) {
  auto fn = Find<PluginGetStringDataProc>(Service::PluginGetStringData);
  return fn != nullptr && fn(string, encoding, out) != 0;
}
void PluginDisposeStringData(REALstringData* data) { PLUGINCOMMON_DO(PluginDisposeStringData, data); }
const char* StringGetCString(REALstring string) { PLUGINCOMMON_CALL(StringGetCString, nullptr, string); }
REALproc REALLoadGlobalMethod(const char* declaration) {
  PLUGINCOMMON_CALL(REALLoadGlobalMethod, nullptr, declaration);
}
REALmemoryBlock newMemoryBlock(int32_t size) { PLUGINCOMMON_CALL(newMemoryBlock, nullptr, size); }
void* memoryBlockGetPtr(REALmemoryBlock block) { PLUGINCOMMON_CALL(memoryBlockGetPtr, nullptr, block); }
int32_t memoryBlockGetSize(REALmemoryBlock block) { PLUGINCOMMON_CALL(memoryBlockGetSize, 0, block); }
REALmemoryBlock PtrToMemoryBlock(void* address) { PLUGINCOMMON_CALL(PtrToMemoryBlock, nullptr, address); }
REALfolderItem FolderItemFromFSSpec(const REALFSSpec* spec) { PLUGINCOMMON_CALL(FolderItemFromFSSpec, nullptr, spec); }
bool REALFSSpecFromFolderItem(REALFSSpec* spec, REALfolderItem item) {
  auto fn = Find<REALFSSpecFromFolderItemProc>(Service::REALFSSpecFromFolderItem);
  return fn != nullptr && fn(spec, item) != 0;
}

REALstring PluginFolderItemPath(REALfolderItem item) { PLUGINCOMMON_CALL(PluginFolderItemPath, nullptr, item); }
REALobject PluginNewPicture(int32_t width, int32_t height, uint32_t** pixels) {
  PLUGINCOMMON_CALL(PluginNewPicture, nullptr, width, height, pixels);
}

#undef PLUGINCOMMON_CALL
#undef PLUGINCOMMON_DO

}  // namespace host
}  // namespace plugincommon
