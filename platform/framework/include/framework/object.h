#pragma once
// The framework's object model.
//
// Every framework object is reference counted and carries its class record.
// Objects are created only through make<T>() or ClassRecord::create(); both lay
// the object out in one 16-byte aligned allocation: the C++ object first, then
// the instance data of every class in its chain that asked for some, each at the
// offset its record states, zero-filled. The plug-in host writes that offset into
// the plug-in's class definition, so the plug-in reaches its data as
// (char*)object + data_offset().
//
// Application code holds objects through Ref<T>. Using a member through a nil Ref
// raises NilObjectException. Every live object is tracked so that the top level
// can release what is left when the application ends (see application.h).

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace framework {

class Object;
class ClassRecord;

// Raises NilObjectException; defined with the exceptions.
[[noreturn]] void throw_nil_object_exception();

// How to build the C++ part of instances of a class: its size and a function
// that default-constructs it in place. A class without a native type of its own
// uses its superclass's; a root class without one is a plain Object.
struct NativeType {
  std::size_t size = 0;
  void (*construct)(void* where) = nullptr;  // nullptr: not creatable by name
};

template <class T>
NativeType native_type_of() {
  if constexpr (std::is_default_constructible_v<T>) {
    return {sizeof(T), [](void* where) { ::new (where) T(); }};
  } else {
    return {sizeof(T), nullptr};
  }
}

// A class: name, superclass, where its instance data lies, and the hooks the
// plug-in host runs when an instance is created and when it ends.
// Records never move and are never freed while the process runs.
class ClassRecord {
 public:
  using Hook = std::function<void(Object&)>;

  // A class whose instances use `native` (or the superclass's native type when
  // native.size is 0) and carry `data_size` bytes of instance data of their own.
  ClassRecord(std::string name, const ClassRecord* superclass, std::size_t data_size = 0, NativeType native = {});
  ClassRecord(const ClassRecord&) = delete;
  ClassRecord& operator=(const ClassRecord&) = delete;

  const std::string& name() const { return name_; }
  const ClassRecord* superclass() const { return superclass_; }

  // This class's own instance data: data_size() bytes at data_offset() from the
  // object's address; the offset is a multiple of 16. 0 bytes: no data.
  std::size_t data_size() const { return data_size_; }
  std::size_t data_offset() const { return data_offset_; }
  // Bytes of one instance: the C++ object and every class's data in the chain.
  std::size_t instance_size() const { return data_offset_ + data_size_; }
  const NativeType& native_type() const { return native_; }

  // True when this class is `other` or derives from it.
  bool is_a(const ClassRecord& other) const;

  // Run after the object is built (superclass hooks first) and when it ends
  // (this class's hook first, then the superclass's). Set them before the first
  // instance is created.
  void set_constructor(Hook hook) { constructor_ = std::move(hook); }
  void set_destructor(Hook hook) { destructor_ = std::move(hook); }
  const Hook& constructor() const { return constructor_; }
  const Hook& destructor() const { return destructor_; }

  // A new instance with one reference owned by the caller (see Ref::adopt), or
  // nullptr when the class's native type cannot be built by name.
  Object* create() const;

 private:
  std::string name_;
  const ClassRecord* superclass_;
  std::size_t data_size_;
  std::size_t data_offset_;
  NativeType native_;
  Hook constructor_;
  Hook destructor_;
};

// Process-wide table of classes by name. The framework's own classes are in it
// from the start; the plug-in host adds the plug-in classes. Defining a name
// again makes the name refer to the new record; the old one stays valid for the
// objects that still use it. A class defined without a superclass derives
// from "Object".
const ClassRecord* find_class(std::string_view name);
ClassRecord& define_class(std::string name, const ClassRecord* superclass, std::size_t data_size = 0,
                          NativeType native = {});

class Object {
 public:
  // The root class record; every framework class derives from it.
  static const ClassRecord& class_record();

  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  const ClassRecord& object_class() const { return *class_; }
  bool is_a(const ClassRecord& cls) const { return class_->is_a(cls); }

  // Start of the instance data of `cls` (a class in this object's chain), or
  // nullptr when it has none.
  void* instance_data(const ClassRecord& cls);

  // Reference counting; safe from any thread. The last release ends the object.
  void retain() const noexcept { refs_.fetch_add(1, std::memory_order_relaxed); }
  void release() const noexcept;
  int32_t reference_count() const noexcept { return refs_.load(std::memory_order_relaxed); }

 protected:
  // Only make<T>() and ClassRecord::create() construct objects; anything else
  // throws std::logic_error.
  Object();
  virtual ~Object();

  // Frees what the object holds outside its memory (files, device handles).
  // Runs once: at the last release, or at the end of the application for the
  // objects still alive then. The object's memory stays valid until the last
  // release, so members must cope with being used after dispose().
  virtual void dispose() noexcept {}

 private:
  template <class T, class... A>
  friend T* make_raw(A&&... args);
  friend class ClassRecord;
  friend void dispose_live_objects() noexcept;
  friend std::size_t live_object_count() noexcept;

  void run_destructors() noexcept;
  void destroy() noexcept;

  static void* allocate(const ClassRecord& cls);
  static void deallocate(void* memory) noexcept;
  static void begin_construction(const ClassRecord& cls, void* memory);
  static void end_construction() noexcept;

  mutable std::atomic<int32_t> refs_{0};
  const ClassRecord* class_;
  bool disposed_ = false;
  Object* live_prev_ = nullptr;
  Object* live_next_ = nullptr;
};

// Number of objects alive now.
std::size_t live_object_count() noexcept;
// Runs dispose() and the destructor hooks of every object alive now; their
// memory is freed by their last release as usual.
void dispose_live_objects() noexcept;

// Builds a T (a class with `static const ClassRecord& class_record()`) and
// returns it with no reference taken; callers use make<T>() instead.
template <class T, class... A>
T* make_raw(A&&... args) {
  const ClassRecord& cls = T::class_record();
  void* memory = Object::allocate(cls);
  Object::begin_construction(cls, memory);
  T* object;
  try {
    object = ::new (memory) T(std::forward<A>(args)...);
  } catch (...) {
    Object::end_construction();
    Object::deallocate(memory);
    throw;
  }
  Object::end_construction();
  return object;
}

// A counted handle. Copying retains, destruction releases. A nil handle is
// allowed; using a member through it raises NilObjectException.
template <class T>
class Ref {
 public:
  Ref() noexcept = default;
  Ref(std::nullptr_t) noexcept {}
  // Takes a new reference to `object`.
  explicit Ref(T* object) noexcept : p_(object) {
    if (p_) p_->retain();
  }
  // Takes over a reference the caller already owns.
  static Ref adopt(T* object) noexcept {
    Ref r;
    r.p_ = object;
    return r;
  }

  Ref(const Ref& other) noexcept : Ref(other.p_) {}
  Ref(Ref&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ref(const Ref<U>& other) noexcept : Ref(static_cast<T*>(other.get())) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ref(Ref<U>&& other) noexcept : p_(other.detach()) {}

  Ref& operator=(Ref other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~Ref() {
    if (p_) p_->release();
  }

  T* get() const noexcept { return p_; }
  T* operator->() const {
    if (!p_) throw_nil_object_exception();
    return p_;
  }
  T& operator*() const { return *operator->(); }
  explicit operator bool() const noexcept { return p_ != nullptr; }

  // Hands the reference to the caller (who must release it) and leaves nil.
  T* detach() noexcept { return std::exchange(p_, nullptr); }

  friend bool operator==(const Ref& a, const Ref& b) noexcept { return a.p_ == b.p_; }
  friend bool operator==(const Ref& a, std::nullptr_t) noexcept { return a.p_ == nullptr; }

 private:
  T* p_ = nullptr;
};

template <class T, class... A>
Ref<T> make(A&&... args) {
  return Ref<T>(make_raw<T>(std::forward<A>(args)...));
}

// The object as a T when its C++ type is one, else nil.
template <class T, class U>
Ref<T> ref_cast(const Ref<U>& r) {
  return Ref<T>(dynamic_cast<T*>(r.get()));
}

}  // namespace framework
