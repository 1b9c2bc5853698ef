#include <atomic>
#include <cstddef>
#include <new>

#include "pluginhost/handles.h"

namespace pluginhost {
namespace {

// Word 0 marks a box, so services that take any handle can tell a box from an
// object, whose first word is its vtable.
constexpr REALword kBoxMark = 0x5354524E;  // "STRN"

struct StringBox {
  REALword words[4];  // 0: mark, 1: text - 1, 2: unused, 3: length
  std::atomic<int32_t> refs{1};
  framework::Ref<framework::StringObject> string;
};
static_assert(offsetof(StringBox, words) == 0);

StringBox* Box(REALstring handle) { return reinterpret_cast<StringBox*>(handle); }

}  // namespace

framework::MemoryBlock* from_handle(REALmemoryBlock block) {
  auto* object = reinterpret_cast<framework::Object*>(block);
  if (object == nullptr || is_string_handle(object)) return nullptr;
  return dynamic_cast<framework::MemoryBlock*>(object);
}

framework::FolderItem* from_handle(REALfolderItem item) {
  auto* object = reinterpret_cast<framework::Object*>(item);
  if (object == nullptr || is_string_handle(object)) return nullptr;
  return dynamic_cast<framework::FolderItem*>(object);
}

REALstring new_string_handle(framework::Ref<framework::StringObject> string) {
  if (!string) return nullptr;
  auto* box = new (std::nothrow) StringBox;
  if (box == nullptr) return nullptr;
  box->words[0] = kBoxMark;
  // An address one before the text, kept as a number: the plug-in adds 1.
  box->words[REALstringTextWord] = reinterpret_cast<REALword>(string->c_str()) - 1;
  box->words[2] = 0;
  box->words[REALstringLengthWord] = static_cast<REALword>(string->size());
  box->string = std::move(string);
  return reinterpret_cast<REALstring>(box);
}

REALstring new_string_handle(const framework::String& string) { return new_string_handle(string.to_object()); }

void retain_string_handle(REALstring string) {
  if (string != nullptr) Box(string)->refs.fetch_add(1, std::memory_order_relaxed);
}

void release_string_handle(REALstring string) {
  if (string != nullptr && Box(string)->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete Box(string);
}

framework::Ref<framework::StringObject> string_of(REALstring string) {
  return string != nullptr ? Box(string)->string : nullptr;
}

bool is_string_handle(const void* handle) {
  return handle != nullptr && *static_cast<const REALword*>(handle) == kBoxMark;
}

}  // namespace pluginhost
