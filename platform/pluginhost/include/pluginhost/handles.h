#pragma once
// Framework values as plug-in handles and back.
//
// REALobject, REALmemoryBlock and REALfolderItem are the framework objects
// themselves. A REALstring is a small counted box that holds one reference to
// a framework string and lays out the words a plug-in may read in place
// (word 1: one byte before the text, word 3: its length). Every handle the
// host hands out new carries one reference that the receiver owns.

#include <cstdint>

#include "framework/folderitem.h"
#include "framework/memoryblock.h"
#include "framework/object.h"
#include "framework/string.h"
#include "plugin_interface.h"

namespace pluginhost {

// Objects. to_handle takes no reference; the caller's reference covers the call.
inline REALobject to_handle(framework::Object* object) { return reinterpret_cast<REALobject>(object); }
inline REALmemoryBlock to_handle(framework::MemoryBlock* block) {
  return reinterpret_cast<REALmemoryBlock>(static_cast<framework::Object*>(block));
}
inline REALfolderItem to_handle(framework::FolderItem* item) {
  return reinterpret_cast<REALfolderItem>(static_cast<framework::Object*>(item));
}
inline framework::Object* from_handle(REALobject object) { return reinterpret_cast<framework::Object*>(object); }
framework::MemoryBlock* from_handle(REALmemoryBlock block);  // nil unless it is a block
framework::FolderItem* from_handle(REALfolderItem item);     // nil unless it is a folder item

// Strings. new_string_handle gives a box with one reference owned by the caller,
// nil for nil. Boxes are released with release_string_handle (REALUnlockString).
REALstring new_string_handle(framework::Ref<framework::StringObject> string);
REALstring new_string_handle(const framework::String& string);  // a box even for the empty string
void retain_string_handle(REALstring string);
void release_string_handle(REALstring string);
// The string a box holds (a new reference); nil for nil.
framework::Ref<framework::StringObject> string_of(REALstring string);
// True when `handle` is a string box (for services that take any object).
bool is_string_handle(const void* handle);

}  // namespace pluginhost
