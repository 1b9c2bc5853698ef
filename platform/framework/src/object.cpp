#include "framework/object.h"

#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <new>
#include <stdexcept>
#include <vector>

namespace framework {

void register_framework_classes();

namespace {

constexpr std::size_t kAlignment = 16;

std::size_t round_up(std::size_t n) { return (n + kAlignment - 1) / kAlignment * kAlignment; }

// Instances of a class that has no C++ type of its own, such as a plug-in class.
class PlainObject final : public Object {};

struct ClassTable {
  std::mutex mutex;
  std::deque<std::unique_ptr<ClassRecord>> records;
  std::map<std::string, const ClassRecord*, std::less<>> by_name;
};

ClassTable& class_table() {
  static ClassTable* table = new ClassTable;  // lives to the end of the process
  return *table;
}

std::once_flag framework_classes_once;

struct LiveList {
  std::mutex mutex;
  Object* head = nullptr;
  std::size_t count = 0;
};

LiveList& live_list() {
  static LiveList* list = new LiveList;
  return *list;
}

struct Construction {
  const ClassRecord* cls = nullptr;
  void* memory = nullptr;
};
thread_local Construction pending;

}  // namespace

ClassRecord::ClassRecord(std::string name, const ClassRecord* superclass, std::size_t data_size, NativeType native)
    : name_(std::move(name)), superclass_(superclass), data_size_(data_size), native_(native) {
  if (native_.size == 0) {
    if (superclass_) {
      native_ = superclass_->native_;
    } else {
      native_ = native_type_of<PlainObject>();
    }
  } else if (superclass_ && superclass_->instance_size() > superclass_->native_.size &&
             superclass_->instance_size() > round_up(superclass_->native_.size)) {
    // A C++ type of its own would overlap the superclass's instance data.
    throw std::logic_error("class " + name_ + " has a native type below instance data");
  }
  std::size_t base = native_.size;
  if (superclass_ && superclass_->instance_size() > base) base = superclass_->instance_size();
  data_offset_ = round_up(base);
}

bool ClassRecord::is_a(const ClassRecord& other) const {
  for (const ClassRecord* c = this; c; c = c->superclass_) {
    if (c == &other) return true;
  }
  return false;
}

Object* ClassRecord::create() const {
  if (!native_.construct) return nullptr;
  void* memory = Object::allocate(*this);
  Object::begin_construction(*this, memory);
  try {
    native_.construct(memory);
  } catch (...) {
    Object::end_construction();
    Object::deallocate(memory);
    throw;
  }
  Object::end_construction();
  auto* object = static_cast<Object*>(memory);
  object->retain();
  std::vector<const ClassRecord*> chain;
  for (const ClassRecord* c = this; c; c = c->superclass_) chain.push_back(c);
  try {
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      if ((*it)->constructor_) (*it)->constructor_(*object);
    }
  } catch (...) {
    object->release();
    throw;
  }
  return object;
}

const ClassRecord* find_class(std::string_view name) {
  std::call_once(framework_classes_once, register_framework_classes);
  ClassTable& table = class_table();
  std::lock_guard lock(table.mutex);
  auto it = table.by_name.find(name);
  return it == table.by_name.end() ? nullptr : it->second;
}

namespace {

ClassRecord& add_class(std::string name, const ClassRecord* superclass, std::size_t data_size, NativeType native) {
  auto record = std::make_unique<ClassRecord>(name, superclass, data_size, native);
  ClassTable& table = class_table();
  std::lock_guard lock(table.mutex);
  ClassRecord& ref = *record;
  table.records.push_back(std::move(record));
  table.by_name[std::move(name)] = &ref;
  return ref;
}

}  // namespace

ClassRecord& define_class(std::string name, const ClassRecord* superclass, std::size_t data_size, NativeType native) {
  return add_class(std::move(name), superclass ? superclass : &Object::class_record(), data_size, native);
}

const ClassRecord& Object::class_record() {
  static ClassRecord& record = add_class("Object", nullptr, 0, {});
  return record;
}

Object::Object() {
  if (!pending.cls || pending.memory != static_cast<void*>(this)) {
    throw std::logic_error("framework objects are created only through make<T>()");
  }
  class_ = pending.cls;
  pending = {};
  LiveList& list = live_list();
  std::lock_guard lock(list.mutex);
  live_next_ = list.head;
  if (list.head) list.head->live_prev_ = this;
  list.head = this;
  ++list.count;
}

Object::~Object() {
  LiveList& list = live_list();
  std::lock_guard lock(list.mutex);
  if (live_prev_) {
    live_prev_->live_next_ = live_next_;
  } else {
    list.head = live_next_;
  }
  if (live_next_) live_next_->live_prev_ = live_prev_;
  --list.count;
}

void* Object::instance_data(const ClassRecord& cls) {
  if (cls.data_size() == 0 || !class_->is_a(cls)) return nullptr;
  return reinterpret_cast<char*>(this) + cls.data_offset();
}

void Object::release() const noexcept {
  if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    const_cast<Object*>(this)->destroy();
  }
}

void Object::run_destructors() noexcept {
  for (const ClassRecord* c = class_; c; c = c->superclass()) {
    if (c->destructor()) {
      try {
        c->destructor()(*this);
      } catch (...) {
        // A destructor hook has nobody to report to; the object ends anyway.
      }
    }
  }
}

void Object::destroy() noexcept {
  if (!disposed_) {
    // Hooks may take and drop references; hold one so that does not end us twice.
    refs_.store(1, std::memory_order_relaxed);
    disposed_ = true;
    run_destructors();
    dispose();
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) != 1) return;  // kept alive by a hook
  }
  void* memory = this;
  this->~Object();
  deallocate(memory);
}

void* Object::allocate(const ClassRecord& cls) {
  std::size_t size = round_up(cls.instance_size() ? cls.instance_size() : 1);
  void* memory = ::operator new(size, std::align_val_t(kAlignment));
  std::memset(memory, 0, size);
  return memory;
}

void Object::deallocate(void* memory) noexcept { ::operator delete(memory, std::align_val_t(kAlignment)); }

void Object::begin_construction(const ClassRecord& cls, void* memory) { pending = {&cls, memory}; }

void Object::end_construction() noexcept { pending = {}; }

std::size_t live_object_count() noexcept {
  LiveList& list = live_list();
  std::lock_guard lock(list.mutex);
  return list.count;
}

void dispose_live_objects() noexcept {
  std::vector<Object*> snapshot;
  {
    LiveList& list = live_list();
    std::lock_guard lock(list.mutex);
    snapshot.reserve(list.count);
    for (Object* o = list.head; o; o = o->live_next_) {
      o->retain();
      snapshot.push_back(o);
    }
  }
  for (Object* o : snapshot) {
    if (!o->disposed_) {
      o->disposed_ = true;
      o->run_destructors();
      o->dispose();
    }
  }
  for (Object* o : snapshot) o->release();
}

}  // namespace framework
