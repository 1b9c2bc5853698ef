#pragma once
// The host services, as the resolver hands them out. Each has the signature
// of its type in plugin_interface.h.

#include "plugin_interface.h"

namespace pluginhost::services {

// Registration (registry.cpp)
void RegisterPluginVersion(int32_t level);
double REALGetRBVersion();
void PluginRegisterClass(REALclassDefinition* definition);
void PluginRegisterClassExtension(REALclassDefinition* definition);
void PluginRegisterMethod(REALmethodDefinition* method);
REALboolean REALinRuntime();

// Objects and exceptions (objects.cpp)
REALobject PluginNewInstance(const char* className);
void REALSetPropValueString(REALobject object, const char* propertyName, REALstring value);
void REALSetPropValueInt(REALobject object, const char* propertyName, int32_t value);
void RuntimeRaiseException(REALobject exception);
void REALLockObject(REALobject object);
void REALUnlockObject(REALobject object);

// Events (events.cpp)
REALproc GetEventInstance(REALobject instance, REALword eventHostWord);

// Strings (strings.cpp)
REALstring REALBuildString(const void* bytes, int32_t length);
void REALSetStringEncoding(REALstring string, uint32_t encoding);
uint32_t REALGetStringEncoding(REALstring string);
REALstring REALConvertString(REALstring string, uint32_t encoding);
void REALLockString(REALstring string);
void REALUnlockString(REALstring string);
REALboolean PluginGetStringData(REALstring string, uint32_t encoding, REALstringData* out);
void PluginDisposeStringData(REALstringData* data);
const char* StringGetCString(REALstring string);
REALproc REALLoadGlobalMethod(const char* declaration);

// Memory blocks (memory_blocks.cpp)
REALmemoryBlock newMemoryBlock(int32_t size);
void* memoryBlockGetPtr(REALmemoryBlock block);
int32_t memoryBlockGetSize(REALmemoryBlock block);
REALmemoryBlock PtrToMemoryBlock(void* address);

// Folder items (folder_items.cpp)
REALfolderItem FolderItemFromFSSpec(const REALFSSpec* spec);
REALboolean REALFSSpecFromFolderItem(REALFSSpec* spec, REALfolderItem item);
REALstring PluginFolderItemPath(REALfolderItem item);

// Pictures (pictures.cpp)
REALobject PluginNewPicture(int32_t width, int32_t height, uint32_t** pixels);

}  // namespace pluginhost::services
