#include <cstring>
#include <type_traits>

#include "pluginhost/host.h"
#include "services.h"

namespace pluginhost {
namespace {

struct Entry {
  const char* name;
  REALproc entry;
};

// Each service has exactly the signature the interface header gives it.
static_assert(std::is_same_v<decltype(&services::RegisterPluginVersion), RegisterPluginVersionProc>);
static_assert(std::is_same_v<decltype(&services::REALGetRBVersion), REALGetRBVersionProc>);
static_assert(std::is_same_v<decltype(&services::PluginRegisterClass), PluginRegisterClassProc>);
static_assert(std::is_same_v<decltype(&services::PluginRegisterClassExtension), PluginRegisterClassExtensionProc>);
static_assert(std::is_same_v<decltype(&services::PluginRegisterMethod), PluginRegisterMethodProc>);
static_assert(std::is_same_v<decltype(&services::REALinRuntime), REALinRuntimeProc>);
static_assert(std::is_same_v<decltype(&services::GetEventInstance), GetEventInstanceProc>);
static_assert(std::is_same_v<decltype(&services::PluginNewInstance), PluginNewInstanceProc>);
static_assert(std::is_same_v<decltype(&services::REALSetPropValueString), REALSetPropValueStringProc>);
static_assert(std::is_same_v<decltype(&services::REALSetPropValueInt), REALSetPropValueIntProc>);
static_assert(std::is_same_v<decltype(&services::RuntimeRaiseException), RuntimeRaiseExceptionProc>);
static_assert(std::is_same_v<decltype(&services::REALBuildString), REALBuildStringProc>);
static_assert(std::is_same_v<decltype(&services::REALSetStringEncoding), REALSetStringEncodingProc>);
static_assert(std::is_same_v<decltype(&services::REALGetStringEncoding), REALGetStringEncodingProc>);
static_assert(std::is_same_v<decltype(&services::REALConvertString), REALConvertStringProc>);
static_assert(std::is_same_v<decltype(&services::REALLockString), REALLockStringProc>);
static_assert(std::is_same_v<decltype(&services::REALUnlockString), REALUnlockStringProc>);
static_assert(std::is_same_v<decltype(&services::REALLockObject), REALLockObjectProc>);
static_assert(std::is_same_v<decltype(&services::REALUnlockObject), REALUnlockObjectProc>);
static_assert(std::is_same_v<decltype(&services::PluginGetStringData), PluginGetStringDataProc>);
static_assert(std::is_same_v<decltype(&services::PluginDisposeStringData), PluginDisposeStringDataProc>);
static_assert(std::is_same_v<decltype(&services::StringGetCString), StringGetCStringProc>);
static_assert(std::is_same_v<decltype(&services::REALLoadGlobalMethod), REALLoadGlobalMethodProc>);
static_assert(std::is_same_v<decltype(&services::newMemoryBlock), newMemoryBlockProc>);
static_assert(std::is_same_v<decltype(&services::memoryBlockGetPtr), memoryBlockGetPtrProc>);
static_assert(std::is_same_v<decltype(&services::memoryBlockGetSize), memoryBlockGetSizeProc>);
static_assert(std::is_same_v<decltype(&services::PtrToMemoryBlock), PtrToMemoryBlockProc>);
static_assert(std::is_same_v<decltype(&services::FolderItemFromFSSpec), FolderItemFromFSSpecProc>);
static_assert(std::is_same_v<decltype(&services::REALFSSpecFromFolderItem), REALFSSpecFromFolderItemProc>);
static_assert(std::is_same_v<decltype(&services::PluginFolderItemPath), PluginFolderItemPathProc>);
static_assert(std::is_same_v<decltype(&services::PluginNewPicture), PluginNewPictureProc>);

#define SERVICE(name) \
  Entry { #name, reinterpret_cast < REALproc>(&services::name) }

const Entry kServices[] = {
    SERVICE(RegisterPluginVersion),    SERVICE(REALGetRBVersion),
    SERVICE(PluginRegisterClass),      SERVICE(PluginRegisterClassExtension),
    SERVICE(PluginRegisterMethod),     SERVICE(REALinRuntime),
    SERVICE(GetEventInstance),         SERVICE(PluginNewInstance),
    SERVICE(REALSetPropValueString),   SERVICE(REALSetPropValueInt),
    SERVICE(RuntimeRaiseException),    SERVICE(REALBuildString),
    SERVICE(REALSetStringEncoding),    SERVICE(REALGetStringEncoding),
    SERVICE(REALConvertString),        SERVICE(REALLockString),
    SERVICE(REALUnlockString),         SERVICE(REALLockObject),
    SERVICE(REALUnlockObject),         SERVICE(PluginGetStringData),
    SERVICE(PluginDisposeStringData),  SERVICE(StringGetCString),
    SERVICE(REALLoadGlobalMethod),     SERVICE(newMemoryBlock),
    SERVICE(memoryBlockGetPtr),        SERVICE(memoryBlockGetSize),
    SERVICE(PtrToMemoryBlock),         SERVICE(FolderItemFromFSSpec),
    SERVICE(REALFSSpecFromFolderItem), SERVICE(PluginFolderItemPath),
    SERVICE(PluginNewPicture),
};

#undef SERVICE

}  // namespace

REALproc resolve_service(const char* name) {
  if (name == nullptr) return nullptr;
  for (const Entry& e : kServices) {
    if (std::strcmp(e.name, name) == 0) return e.entry;
  }
  return nullptr;
}

}  // namespace pluginhost
