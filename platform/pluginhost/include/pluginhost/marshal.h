#pragma once
// How C++ values of the application cross the plug-in interface.
//
//   C++ type                        declaration type   C type
//   void                            (none)             void
//   int32_t                         Integer            int32_t
//   int64_t / uint64_t              Int64 / UInt64     int64_t / uint64_t
//   double                          Double             double
//   bool                            Boolean            REALboolean (one byte)
//   void*                           Ptr                void*
//   framework::String               String             REALstring
//   Ref<MemoryBlock>                MemoryBlock        REALmemoryBlock
//   Ref<FolderItem>                 FolderItem         REALfolderItem
//   Ref<T> for any other T          a class name       REALobject
//
// Arguments are borrowed for the call (a string travels in a box that lives
// as long as the call); results carry one reference that the caller takes.

#include <cstdint>
#include <type_traits>

#include "framework/folderitem.h"
#include "framework/memoryblock.h"
#include "framework/object.h"
#include "framework/string.h"
#include "plugin_interface.h"
#include "pluginhost/declaration.h"
#include "pluginhost/handles.h"

namespace pluginhost {

template <typename T, typename = void>
struct Marshal;

// Scalars pass as they are.
template <typename T, typename C, ValueKind K>
struct ScalarMarshal {
  using CType = C;
  static constexpr ValueKind kind = K;
  struct Arg {
    explicit Arg(T v) : c(static_cast<C>(v)) {}
    C c;
  };
  static T take_result(C c) { return static_cast<T>(c); }
  static T borrow(C c) { return static_cast<T>(c); }
  static C give(T v) { return static_cast<C>(v); }
  static bool is_nil(const T&) { return false; }
};

template <>
struct Marshal<int32_t> : ScalarMarshal<int32_t, int32_t, ValueKind::Integer> {};
template <>
struct Marshal<int64_t> : ScalarMarshal<int64_t, int64_t, ValueKind::Int64> {};
template <>
struct Marshal<uint64_t> : ScalarMarshal<uint64_t, uint64_t, ValueKind::UInt64> {};
template <>
struct Marshal<double> : ScalarMarshal<double, double, ValueKind::Double> {};
template <>
struct Marshal<void*> : ScalarMarshal<void*, void*, ValueKind::Ptr> {};

template <>
struct Marshal<bool> {
  using CType = REALboolean;
  static constexpr ValueKind kind = ValueKind::Boolean;
  struct Arg {
    explicit Arg(bool v) : c(v ? 1 : 0) {}
    REALboolean c;
  };
  static bool take_result(REALboolean c) { return c != 0; }
  static bool borrow(REALboolean c) { return c != 0; }
  static REALboolean give(bool v) { return v ? 1 : 0; }
  static bool is_nil(bool) { return false; }
};

template <>
struct Marshal<framework::String> {
  using CType = REALstring;
  static constexpr ValueKind kind = ValueKind::String;
  struct Arg {
    explicit Arg(const framework::String& s) : c(new_string_handle(s)) {}
    ~Arg() { release_string_handle(c); }
    Arg(const Arg&) = delete;
    Arg& operator=(const Arg&) = delete;
    REALstring c;
  };
  // A nil string is the empty string.
  static framework::String take_result(REALstring c) {
    framework::String s(string_of(c));
    release_string_handle(c);
    return s;
  }
  static framework::String borrow(REALstring c) { return framework::String(string_of(c)); }
  static bool is_nil(const framework::String&) { return false; }
};

template <typename T>
constexpr ValueKind kind_of_object() {
  if constexpr (std::is_same_v<T, framework::MemoryBlock>) {
    return ValueKind::MemoryBlock;
  } else if constexpr (std::is_same_v<T, framework::FolderItem>) {
    return ValueKind::FolderItem;
  } else {
    return ValueKind::Object;
  }
}

template <typename T>
struct Marshal<framework::Ref<T>, std::enable_if_t<std::is_base_of_v<framework::Object, T>>> {
  static constexpr ValueKind kind = kind_of_object<T>();
  using CType = std::conditional_t<kind == ValueKind::MemoryBlock, REALmemoryBlock,
                                   std::conditional_t<kind == ValueKind::FolderItem, REALfolderItem, REALobject>>;
  static CType handle_of(T* p) { return reinterpret_cast<CType>(static_cast<framework::Object*>(p)); }
  static T* pointer_of(CType c) {
    auto* object = reinterpret_cast<framework::Object*>(c);
    if (object == nullptr || is_string_handle(object)) return nullptr;
    return dynamic_cast<T*>(object);
  }
  struct Arg {
    explicit Arg(const framework::Ref<T>& r) : c(handle_of(r.get())) {}
    CType c;
  };
  // An object of another class than T is released and reads as nil.
  static framework::Ref<T> take_result(CType c) {
    T* p = pointer_of(c);
    if (p == nullptr) {
      auto* object = reinterpret_cast<framework::Object*>(c);
      if (object != nullptr && !is_string_handle(object)) object->release();
      return nullptr;
    }
    return framework::Ref<T>::adopt(p);
  }
  static framework::Ref<T> borrow(CType c) { return framework::Ref<T>(pointer_of(c)); }
  static bool is_nil(const framework::Ref<T>& r) { return !r; }
};

template <>
struct Marshal<void> {
  using CType = void;
  static constexpr ValueKind kind = ValueKind::Void;
};

// The declaration kinds of a C++ signature, for checking it against a text.
template <typename... A>
std::vector<ValueKind> kinds_of() {
  return {Marshal<A>::kind...};
}

}  // namespace pluginhost
