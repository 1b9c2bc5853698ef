#pragma once
// The host services a plug-in file calls, each looked up by name through the
// resolver on first use and kept for the rest of the process. A look-up that
// fails leaves the slot empty, so the next use asks again.
//
// Every wrapper in `plugincommon::host` has the service's own name and
// signature. When the host lacks the service, the wrapper does nothing and
// gives the neutral result: 0, false or nil; a registration, a raise, a
// release or an encoding change is skipped. No message either way.

#include <cstdint>

#include "plugin_interface.h"

namespace plugincommon {

enum class Service : int {
  PluginRegisterClass,
  PluginRegisterClassExtension,
  PluginRegisterMethod,
  REALinRuntime,
  GetEventInstance,
  PluginNewInstance,
  REALSetPropValueString,
  REALSetPropValueInt,
  RuntimeRaiseException,
  REALBuildString,
  REALSetStringEncoding,
  REALGetStringEncoding,
  REALConvertString,
  REALLockString,
  REALUnlockString,
  REALLockObject,
  REALUnlockObject,
  PluginGetStringData,
  PluginDisposeStringData,
  StringGetCString,
  REALLoadGlobalMethod,
  newMemoryBlock,
  memoryBlockGetPtr,
  memoryBlockGetSize,
  PtrToMemoryBlock,
  FolderItemFromFSSpec,
  REALFSSpecFromFolderItem,
  PluginFolderItemPath,
  PluginNewPicture,
  Count
};

// The name the resolver knows the service by.
const char* ServiceName(Service service);

// The service's entry, looked up through gResolver when not yet cached; nil
// when there is no resolver or the host lacks the service.
REALproc FindService(Service service);

// True when the host provides the service (looks it up like any use).
inline bool HasService(Service service) { return FindService(service) != nullptr; }

// Empties every cache slot. Only for a new load, e.g. a test that hands the
// same plug-in code a second host.
void ForgetServices();

namespace host {

void PluginRegisterClass(REALclassDefinition* definition);
void PluginRegisterClassExtension(REALclassDefinition* definition);
void PluginRegisterMethod(REALmethodDefinition* method);
bool REALinRuntime();
REALproc GetEventInstance(REALobject instance, REALword eventHostWord);
REALobject PluginNewInstance(const char* className);
void REALSetPropValueString(REALobject object, const char* propertyName, REALstring value);
void REALSetPropValueInt(REALobject object, const char* propertyName, int32_t value);
void RuntimeRaiseException(REALobject exception);
REALstring REALBuildString(const void* bytes, int32_t length);
void REALSetStringEncoding(REALstring string, uint32_t encoding);
uint32_t REALGetStringEncoding(REALstring string);
REALstring REALConvertString(REALstring string, uint32_t encoding);
void REALLockString(REALstring string);
void REALUnlockString(REALstring string);
void REALLockObject(REALobject object);
void REALUnlockObject(REALobject object);
bool PluginGetStringData(REALstring string, uint32_t encoding, REALstringData* out);
void PluginDisposeStringData(REALstringData* data);
const char* StringGetCString(REALstring string);
REALproc REALLoadGlobalMethod(const char* declaration);
REALmemoryBlock newMemoryBlock(int32_t size);
void* memoryBlockGetPtr(REALmemoryBlock block);
int32_t memoryBlockGetSize(REALmemoryBlock block);
REALmemoryBlock PtrToMemoryBlock(void* address);
REALfolderItem FolderItemFromFSSpec(const REALFSSpec* spec);
bool REALFSSpecFromFolderItem(REALFSSpec* spec, REALfolderItem item);
REALstring PluginFolderItemPath(REALfolderItem item);
REALobject PluginNewPicture(int32_t width, int32_t height, uint32_t** pixels);

}  // namespace host
}  // namespace plugincommon
