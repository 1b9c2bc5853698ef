#pragma once
// Binding plug-in members by their declaration texts.
//
// At start-up the application declares, in a fixed order, every plug-in member
// it uses: (class name, declaration text), with "__init" and "__exit" for a
// class's constructor and destructor, the host class's name ("MemoryBlock")
// for a class-extension method and an empty class name for a global method.
// bind() then fills one entry per declaration. Every call goes through its
// entry with the arguments unchanged, the instance (or block) first.
//
// Each declaration comes with its C++ signature, self first for class members
// and extension methods (see marshal.h for the types):
//   binder.method<bool(Ref<Object>)>("MacHIDQVX", "FindFirstDevice as boolean")
//   binder.method<void(Ref<MemoryBlock>, int32_t, int32_t, int32_t)>("MemoryBlock",
//       "FillBytesQVX(offset as integer, count as integer, value as integer)")
//   binder.property<int32_t>("MacHIDQVX", "Lasterror as integer")
// A declaration resolves when the class (or an extension of it, or the global
// methods) has a member with the same declaration text (letter case and blanks
// aside) whose types match the signature. Declarations that do not resolve
// are returned by bind(); bind_or_quit() names them to the user and quits, so
// nothing later jumps through an entry that did not resolve.
//
// A call of a class member on a nil instance raises NilObjectException without
// reaching the plug-in; extension methods get a nil block as it is. A call on
// an object of another class raises UnsupportedOperationException, also
// without reaching the plug-in. An exception the plug-in raised is thrown
// once the member has returned.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "framework/string.h"
#include "pluginhost/call_frame.h"
#include "pluginhost/host.h"
#include "pluginhost/marshal.h"

namespace pluginhost {

enum class MemberKind { Unbound, Constructor, Destructor, ClassMethod, ExtensionMethod, GlobalMethod, Property };

struct EntrySlot {
  std::string class_name;  // empty for a global method
  std::string declaration;
  std::vector<ValueKind> parameters;  // of the C++ signature, self included
  ValueKind result = ValueKind::Void;
  bool is_property = false;

  // Filled by bind().
  MemberKind kind = MemberKind::Unbound;
  REALproc entry = nullptr;   // the member, or a property's getter
  REALproc setter = nullptr;  // the assignment form, or a property's setter
  const PluginClass* owner = nullptr;
  const PluginProperty* property = nullptr;

  // "MacHIDQVX.FindFirstDevice as boolean"
  std::string label() const;
};

struct EntryTable {
  std::vector<EntrySlot> slots;
  bool bound = false;
};

namespace detail {

// The slot, once bound; UnsupportedOperationException for one that is not.
const EntrySlot& bound_slot(const EntryTable& table, size_t index);
// The slot of a method with an assignment form; UnsupportedOperationException otherwise.
const EntrySlot& setter_slot(const EntryTable& table, size_t index);
bool needs_instance(const EntrySlot& slot);
// Throws NilObjectException.
[[noreturn]] void nil_instance();
int32_t* plain_field(const EntrySlot& slot, framework::Object* self);

template <typename T, typename... Rest>
bool is_nil_first(const T& first, const Rest&...) {
  return Marshal<T>::is_nil(first);
}
inline bool is_nil_first() { return false; }

// The object a member is called on: its first argument, when that is one.
template <typename T>
framework::Object* object_of(const T&) {
  return nullptr;
}
template <typename U>
framework::Object* object_of(const framework::Ref<U>& r) {
  return r.get();
}
template <typename T, typename... Rest>
framework::Object* self_of(const T& first, const Rest&...) {
  return object_of(first);
}
inline framework::Object* self_of() { return nullptr; }

// A member of a class or an extension reaches into the object as one of its
// class; an object of another class raises UnsupportedOperationException
// before the plug-in sees it. Nil passes (see needs_instance).
void check_class(const EntrySlot& slot, framework::Object* self);

template <typename R, typename Fn, typename... A>
R invoke(Fn fn, const A&... args) {
  std::tuple<typename Marshal<A>::Arg...> held(args...);
  CallFrame frame;
  if constexpr (std::is_void_v<R>) {
    std::apply([&](auto&... h) { fn(h.c...); }, held);
    frame.finish();
  } else {
    auto c = std::apply([&](auto&... h) { return fn(h.c...); }, held);
    R result = Marshal<R>::take_result(c);
    frame.finish();
    return result;
  }
}

}  // namespace detail

template <typename Sig>
class Method;

template <typename R, typename... A>
class Method<R(A...)> {
 public:
  Method() = default;

  R operator()(A... args) const {
    const EntrySlot& slot = detail::bound_slot(*table_, index_);
    if (detail::needs_instance(slot) && detail::is_nil_first(args...)) detail::nil_instance();
    detail::check_class(slot, detail::self_of(args...));
    using Fn = typename Marshal<R>::CType (*)(typename Marshal<A>::CType...);
    return detail::invoke<R>(reinterpret_cast<Fn>(slot.entry), args...);
  }

  // The assignment form of a method that has one: "OSTypeQVX(offset) = value".
  template <typename V = R>
  std::enable_if_t<!std::is_void_v<V>> assign(A... args, V value) const {
    const EntrySlot& slot = detail::setter_slot(*table_, index_);
    if (detail::needs_instance(slot) && detail::is_nil_first(args...)) detail::nil_instance();
    detail::check_class(slot, detail::self_of(args...));
    using Fn = void (*)(typename Marshal<A>::CType..., typename Marshal<V>::CType);
    detail::invoke<void>(reinterpret_cast<Fn>(slot.setter), args..., value);
  }

  bool bound() const { return table_ && table_->bound && table_->slots[index_].kind != MemberKind::Unbound; }

 private:
  friend class Binder;
  Method(std::shared_ptr<const EntryTable> table, size_t index) : table_(std::move(table)), index_(index) {}
  std::shared_ptr<const EntryTable> table_;
  size_t index_ = 0;
};

template <typename T>
class Property {
 public:
  Property() = default;

  // Raises NilObjectException for a nil instance.
  T get(framework::Object* self) const {
    const EntrySlot& slot = detail::bound_slot(*table_, index_);
    if (self == nullptr) detail::nil_instance();
    detail::check_class(slot, self);
    if (slot.property->plain) {
      if constexpr (std::is_same_v<T, int32_t>) return *detail::plain_field(slot, self);
    }
    using Fn = typename Marshal<T>::CType (*)(REALobject, REALsword);
    auto getter = reinterpret_cast<Fn>(slot.entry);
    return detail::invoke<T>([&](REALobject s) { return getter(s, slot.property->param); },
                             framework::Ref<framework::Object>(self));
  }
  template <typename S>
  T get(const framework::Ref<S>& self) const {
    return get(static_cast<framework::Object*>(self.get()));
  }

  // UnsupportedOperationException for a read-only property.
  void set(framework::Object* self, T value) const {
    const EntrySlot& slot = detail::setter_slot(*table_, index_);
    if (self == nullptr) detail::nil_instance();
    detail::check_class(slot, self);
    if (slot.property->plain) {
      if constexpr (std::is_same_v<T, int32_t>) *detail::plain_field(slot, self) = value;
      return;
    }
    using Fn = void (*)(REALobject, REALsword, typename Marshal<T>::CType);
    auto setter = reinterpret_cast<Fn>(slot.setter);
    detail::invoke<void>([&](REALobject s, typename Marshal<T>::CType v) { setter(s, slot.property->param, v); },
                         framework::Ref<framework::Object>(self), value);
  }
  template <typename S>
  void set(const framework::Ref<S>& self, T value) const {
    set(static_cast<framework::Object*>(self.get()), std::move(value));
  }

  bool bound() const { return table_ && table_->bound && table_->slots[index_].kind != MemberKind::Unbound; }

 private:
  friend class Binder;
  Property(std::shared_ptr<const EntryTable> table, size_t index) : table_(std::move(table)), index_(index) {}
  std::shared_ptr<const EntryTable> table_;
  size_t index_ = 0;
};

class Binder {
 public:
  Binder() : table_(std::make_shared<EntryTable>()) {}

  template <typename Sig>
  Method<Sig> method(std::string class_name, std::string declaration) {
    return Method<Sig>(table_, add<Sig>(std::move(class_name), std::move(declaration), false));
  }

  template <typename T>
  Property<T> property(std::string class_name, std::string declaration) {
    return Property<T>(table_, add<T()>(std::move(class_name), std::move(declaration), true));
  }

  // Resolves every declaration, in the order they were made; returns the
  // labels of those that did not resolve. Bind once, after the plug-ins have
  // registered.
  std::vector<std::string> bind();

  // bind(); when a declaration did not resolve, hands `report` a text naming
  // each one, then quits (framework::Quit). Without `report` each one is
  // named on System.DebugLog; the application makes it a message box.
  using UnboundReport = std::function<void(const framework::String& message)>;
  void bind_or_quit(const UnboundReport& report = {});

  const EntryTable& table() const { return *table_; }

 private:
  template <typename Sig>
  struct Kinds;
  template <typename R, typename... A>
  struct Kinds<R(A...)> {
    static std::vector<ValueKind> parameters() { return kinds_of<A...>(); }
    static constexpr ValueKind result = Marshal<R>::kind;
  };

  template <typename Sig>
  size_t add(std::string class_name, std::string declaration, bool is_property) {
    EntrySlot slot;
    slot.class_name = std::move(class_name);
    slot.declaration = std::move(declaration);
    slot.parameters = Kinds<Sig>::parameters();
    slot.result = Kinds<Sig>::result;
    slot.is_property = is_property;
    table_->slots.push_back(std::move(slot));
    return table_->slots.size() - 1;
  }

  std::shared_ptr<EntryTable> table_;
};

}  // namespace pluginhost
