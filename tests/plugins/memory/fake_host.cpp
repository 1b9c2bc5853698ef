#include "fake_host.h"

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace memtest {
namespace {

FakeHost* current = nullptr;

enum class Kind { Block, Foreign, Instance, String, Exception };

struct Object {
  Kind kind = Kind::Block;
  int refs = 1;
  std::vector<unsigned char> bytes;         // Block
  void* foreign = nullptr;                  // Foreign
  int32_t reported_size = 0;                // Foreign
  const REALclassDefinition* definition = nullptr;  // Instance
  std::string text;                         // String
  Raised exception;                         // Exception
  alignas(16) unsigned char data[64] = {};  // Instance: the plug-in data
};

Object* AsObject(const void* handle) { return static_cast<Object*>(const_cast<void*>(handle)); }

REALword DataOffset() {
  static const Object probe;
  return static_cast<REALword>(reinterpret_cast<const unsigned char*>(&probe.data) -
                               reinterpret_cast<const unsigned char*>(&probe));
}

template <typename Fn>
REALproc Entry(Fn fn) {
  return reinterpret_cast<REALproc>(fn);
}

// The records' short forms are the first words of the long ones, so a lookup
// walks the table with the stride of the level it was registered at.
template <typename Record>
const Record* FindRecord(const void* table, REALsword count, const std::string& key,
                         const char* Record::*field) {
  auto* records = static_cast<const Record*>(table);
  for (REALsword i = 0; i < count; ++i) {
    if (records[i].*field != nullptr && key == records[i].*field) return &records[i];
  }
  return nullptr;
}

}  // namespace

struct Services {
  static Object* Make(Kind kind) {
    ++current->live_;
    auto* o = new Object;
    o->kind = kind;
    current->objects_.insert(o);
    return o;
  }

  static void RegisterPluginVersion(int32_t level) {
    current->level_ = level;
    current->calls_.push_back("RegisterPluginVersion " + std::to_string(level));
  }
  static double GetVersion() { return current->version_; }
  static void RegisterClass(REALclassDefinition* d) {
    d->dataOffset = DataOffset();
    current->classes_.push_back(d);
    current->calls_.push_back(std::string("PluginRegisterClass ") + d->name);
  }
  static void RegisterExtension(REALclassDefinition* d) {
    current->extensions_.push_back(d);
    current->calls_.push_back(std::string("PluginRegisterClassExtension ") + d->name);
  }
  static void RegisterMethod(REALmethodDefinition* m) {
    current->globals_.push_back(m);
    current->calls_.push_back(std::string("PluginRegisterMethod ") + m->declaration);
  }
  static REALobject NewInstance(const char* name) {
    std::string n = name;
    if (n == "NilObjectException" || n == "OutOfMemoryException" || n == "UnsupportedOperationException" ||
        n == "RuntimeException") {
      Object* o = Make(Kind::Exception);
      o->exception.class_name = n;
      return reinterpret_cast<REALobject>(o);
    }
    return current->NewInstance(n);
  }
  static void SetPropString(REALobject o, const char* prop, REALstring value) {
    if (std::string(prop) != "Message") return;
    AsObject(o)->exception.message_nil = value == nullptr;
    AsObject(o)->exception.message = value != nullptr ? AsObject(value)->text : "";
  }
  static void SetPropInt(REALobject o, const char* prop, int32_t value) {
    if (std::string(prop) == "ErrorNumber") AsObject(o)->exception.error_number = value;
  }
  static void Raise(REALobject o) { current->raised_.push_back(AsObject(o)->exception); }
  static REALstring BuildString(const void* bytes, int32_t length) {
    if (bytes == nullptr || length < 0) return nullptr;
    Object* s = Make(Kind::String);
    s->text.assign(static_cast<const char*>(bytes), static_cast<size_t>(length));
    return reinterpret_cast<REALstring>(s);
  }
  static void SetEncoding(REALstring, uint32_t) {}
  static void UnlockString(REALstring s) { current->Release(reinterpret_cast<REALobject>(s)); }
  static void LockObject(REALobject o) {
    if (o != nullptr) ++AsObject(o)->refs;
  }
  static void UnlockObject(REALobject o) { current->Release(o); }
  static void* BlockPtr(REALmemoryBlock b) {
    if (b == nullptr) return nullptr;
    Object* o = AsObject(b);
    return o->kind == Kind::Foreign ? o->foreign : o->bytes.data();
  }
  static int32_t BlockSize(REALmemoryBlock b) {
    if (b == nullptr) return 0;
    Object* o = AsObject(b);
    return o->kind == Kind::Foreign ? o->reported_size : static_cast<int32_t>(o->bytes.size());
  }
  static REALmemoryBlock PtrToBlock(void* address) { return current->NewForeignBlock(address, 0); }

  static REALproc Resolve(const char* name) {
    static const std::map<std::string, REALproc> table = {
        {"RegisterPluginVersion", Entry(&RegisterPluginVersion)},
        {"REALGetRBVersion", Entry(&GetVersion)},
        {"PluginRegisterClass", Entry(&RegisterClass)},
        {"PluginRegisterClassExtension", Entry(&RegisterExtension)},
        {"PluginRegisterMethod", Entry(&RegisterMethod)},
        {"PluginNewInstance", Entry(&NewInstance)},
        {"REALSetPropValueString", Entry(&SetPropString)},
        {"REALSetPropValueInt", Entry(&SetPropInt)},
        {"RuntimeRaiseException", Entry(&Raise)},
        {"REALBuildString", Entry(&BuildString)},
        {"REALSetStringEncoding", Entry(&SetEncoding)},
        {"REALUnlockString", Entry(&UnlockString)},
        {"REALLockObject", Entry(&LockObject)},
        {"REALUnlockObject", Entry(&UnlockObject)},
        {"memoryBlockGetPtr", Entry(&BlockPtr)},
        {"memoryBlockGetSize", Entry(&BlockSize)},
        {"PtrToMemoryBlock", Entry(&PtrToBlock)},
    };
    current->lookups_.push_back(name);
    if (current->lacking_.count(name) != 0) return nullptr;
    auto it = table.find(name);
    return it == table.end() ? nullptr : it->second;
  }
};

FakeHost::FakeHost() { current = this; }

FakeHost::~FakeHost() {
  for (void* o : objects_) delete static_cast<Object*>(o);
  if (current == this) current = nullptr;
}

FakeHost& FakeHost::Current() { return *current; }

void FakeHost::LoadPlugin() {
  // dlopen hands out the same image for the same file, so each load goes
  // through a copy of its own: fresh globals, fresh service cache. The images
  // stay mapped; the host keeps the records they hold.
  static std::atomic<int> loads{0};
  auto copy = std::filesystem::temp_directory_path() /
              ("QVXMemory-" + std::to_string(getpid()) + "-" + std::to_string(loads++) + ".so");
  std::filesystem::copy_file(QVXMEMORY_PATH, copy, std::filesystem::copy_options::overwrite_existing);
  void* image = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
  std::filesystem::remove(copy);
  if (image == nullptr) throw std::runtime_error(std::string("dlopen: ") + dlerror());
  auto main = reinterpret_cast<REALPluginMainProc>(dlsym(image, "REALPluginMain"));
  if (main == nullptr) throw std::runtime_error("no REALPluginMain");
  main(&Services::Resolve);
}

const REALclassDefinition* FakeHost::Extension(const std::string& name) const {
  for (auto* d : extensions_) {
    if (name == d->name) return d;
  }
  return nullptr;
}

const REALclassDefinition* FakeHost::Class(const std::string& name) const {
  for (auto* d : classes_) {
    if (name == d->name) return d;
  }
  return nullptr;
}

const REALmethodDefinition* FakeHost::GlobalMethod() const {
  return globals_.empty() ? nullptr : globals_.front();
}

REALproc FakeHost::Method(const REALclassDefinition* d, const std::string& declaration) const {
  if (d == nullptr) return nullptr;
  if (level_ == 9) {
    auto* r = FindRecord<REALmethodDefinition9>(d->methods, d->methodCount, declaration,
                                                &REALmethodDefinition9::declaration);
    return r != nullptr ? r->function : nullptr;
  }
  auto* r = FindRecord<REALmethodDefinition>(d->methods, d->methodCount, declaration,
                                             &REALmethodDefinition::declaration);
  return r != nullptr ? r->function : nullptr;
}

REALproc FakeHost::Getter(const REALclassDefinition* d, const std::string& property) const {
  if (d == nullptr) return nullptr;
  if (level_ == 9) {
    auto* r = FindRecord<REALproperty9>(d->properties, d->propertyCount, property, &REALproperty9::name);
    return r != nullptr ? r->getter : nullptr;
  }
  auto* r = FindRecord<REALproperty>(d->properties, d->propertyCount, property, &REALproperty::name);
  return r != nullptr ? r->getter : nullptr;
}

REALmemoryBlock FakeHost::NewBlock(size_t size, unsigned char fill) {
  Object* o = Services::Make(Kind::Block);
  o->bytes.assign(size, fill);
  return reinterpret_cast<REALmemoryBlock>(o);
}

REALmemoryBlock FakeHost::NewForeignBlock(void* address, int32_t reported_size) {
  Object* o = Services::Make(Kind::Foreign);
  o->foreign = address;
  o->reported_size = reported_size;
  return reinterpret_cast<REALmemoryBlock>(o);
}

std::vector<unsigned char>& FakeHost::Bytes(REALmemoryBlock block) { return AsObject(block)->bytes; }

void* FakeHost::BlockAddress(REALmemoryBlock block) { return Services::BlockPtr(block); }

int FakeHost::Refs(REALobject object) { return AsObject(object)->refs; }

REALobject FakeHost::NewInstance(const std::string& class_name) {
  const REALclassDefinition* d = Class(class_name);
  if (d == nullptr || d->dataSize > sizeof(Object::data)) return nullptr;
  Object* o = Services::Make(Kind::Instance);
  o->definition = d;
  return reinterpret_cast<REALobject>(o);
}

void FakeHost::Release(REALobject object) {
  if (object == nullptr) return;
  Object* o = AsObject(object);
  if (--o->refs > 0) return;
  // Word 6 is the destructor in the long and the short form alike.
  if (o->kind == Kind::Instance && o->definition->destructor != nullptr) {
    reinterpret_cast<void (*)(REALobject)>(o->definition->destructor)(object);
  }
  --live_;
  objects_.erase(o);
  delete o;
}

}  // namespace memtest
