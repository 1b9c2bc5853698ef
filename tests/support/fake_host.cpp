#include "fake_host.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "scratch_dir.h"

namespace fakehost {
namespace {

Host* current = nullptr;

void Log(std::string text) { Current().calls.push_back(std::move(text)); }

REALword DataOffset() {
  static const Object probe;
  return static_cast<REALword>(reinterpret_cast<const unsigned char*>(&probe.data) -
                               reinterpret_cast<const unsigned char*>(&probe));
}

std::string Utf16ToUtf8(const String& s) {
  std::string text = s.text();
  std::vector<uint32_t> points;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    uint16_t u;
    std::memcpy(&u, text.data() + i, 2);
    if (u >= 0xD800 && u < 0xDC00 && i + 3 < text.size()) {
      uint16_t low;
      std::memcpy(&low, text.data() + i + 2, 2);
      points.push_back(0x10000 + ((u - 0xD800u) << 10) + (low - 0xDC00u));
      i += 2;
    } else {
      points.push_back(u);
    }
  }
  std::string out;
  for (uint32_t p : points) {
    if (p < 0x80) {
      out += static_cast<char>(p);
    } else if (p < 0x800) {
      out += static_cast<char>(0xC0 | (p >> 6));
      out += static_cast<char>(0x80 | (p & 0x3F));
    } else if (p < 0x10000) {
      out += static_cast<char>(0xE0 | (p >> 12));
      out += static_cast<char>(0x80 | ((p >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (p & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (p >> 18));
      out += static_cast<char>(0x80 | ((p >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((p >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (p & 0x3F));
    }
  }
  return out;
}

// The records' short forms are the first words of the long ones, so a lookup
// walks the table with the stride of the level it was registered at.
template <typename Record>
const Record* FindRecord(const void* table, REALsword count, const std::string& key, const char* Record::*field) {
  auto* records = static_cast<const Record*>(table);
  for (REALsword i = 0; i < count; ++i) {
    if (records[i].*field != nullptr && key == records[i].*field) return &records[i];
  }
  return nullptr;
}

template <typename Fn>
REALproc Entry(Fn fn) {
  return reinterpret_cast<REALproc>(fn);
}

}  // namespace

// The services, and the making and freeing of what they hand out.
struct Services {
  static String* NewString(const void* bytes, int32_t length, uint32_t encoding) {
    auto* s = new String;
    s->encoding = encoding;
    s->storage.resize(static_cast<size_t>(length) + 2);
    s->storage[0] = static_cast<unsigned char>(length);
    if (length > 0) std::memcpy(s->storage.data() + 1, bytes, static_cast<size_t>(length));
    s->storage.back() = Current().unterminated_strings ? 'X' : 0;
    s->words[REALstringTextWord] = reinterpret_cast<REALword>(s->storage.data());
    s->words[REALstringLengthWord] = static_cast<REALword>(length);
    ++Current().live_strings;
    Current().strings_.insert(s);
    return s;
  }
  static void ReleaseString(String* s) {
    if (s == nullptr || --s->refs > 0) return;
    --Current().live_strings;
    Current().strings_.erase(s);
    delete s;
  }
  static Block* MakeBlock() {
    auto* b = new Block;
    ++Current().live_blocks;
    Current().blocks_.insert(b);
    return b;
  }
  static Object* MakeObject(const std::string& class_name) {
    auto* o = new Object;
    o->class_name = class_name;
    ++Current().live_objects;
    Current().objects_.insert(o);
    return o;
  }

  static void RegisterPluginVersion(int32_t level) {
    Current().level = level;
    Log("RegisterPluginVersion " + std::to_string(level));
  }
  static double GetVersion() { return *Current().version; }
  static void RegisterClass(REALclassDefinition* d) {
    d->dataOffset = DataOffset();  // where this host's instances keep the plug-in data
    Current().classes.push_back(d);
    Log(std::string("PluginRegisterClass ") + d->name);
  }
  static void RegisterExtension(REALclassDefinition* d) {
    Current().extensions.push_back(d);
    Log(std::string("PluginRegisterClassExtension ") + d->name);
  }
  static void RegisterMethod(REALmethodDefinition* m) {
    Current().methods.push_back(m);
    Log(std::string("PluginRegisterMethod ") + m->declaration);
  }
  static REALobject NewInstance(const char* name) {
    for (const std::string& known : Current().known_classes) {
      if (known == name) return reinterpret_cast<REALobject>(MakeObject(name));
    }
    return Current().NewInstance(name);
  }
  static void SetPropString(REALobject o, const char* prop, REALstring value) {
    AsObject(o)->string_props[prop] = value ? AsString(value)->text() : "<nil>";
  }
  static void SetPropInt(REALobject o, const char* prop, int32_t value) { AsObject(o)->int_props[prop] = value; }
  static void LockObject(REALobject o) {
    if (o == nullptr) return;
    if (*reinterpret_cast<Kind*>(o) == Kind::Object) {
      ++AsObject(o)->refs;
    } else {
      ++reinterpret_cast<Block*>(o)->refs;
    }
  }
  static void UnlockObject(REALobject o) { Current().Release(o); }
  static void Raise(REALobject o) {
    Object* obj = AsObject(o);
    ++obj->refs;  // the host keeps the exception until it is raised
    Current().raised.push_back(obj);
    Log("RuntimeRaiseException " + obj->class_name);
  }
  static REALstring BuildString(const void* bytes, int32_t length) {
    if (bytes == nullptr || length < 0) return nullptr;
    return reinterpret_cast<REALstring>(NewString(bytes, length, REALEncodingUnknown));
  }
  static void SetEncoding(REALstring s, uint32_t code) {
    if (s) AsString(s)->encoding = code;
  }
  static uint32_t GetEncoding(REALstring s) { return s ? AsString(s)->encoding : 0; }
  static REALstring Convert(REALstring s, uint32_t code) {
    if (s == nullptr || Current().fail_convert) return nullptr;
    String* from = AsString(s);
    Log("REALConvertString " + std::to_string(code));
    std::string text = from->encoding == REALEncodingUTF16 ? Utf16ToUtf8(*from) : from->text();
    return reinterpret_cast<REALstring>(NewString(text.data(), static_cast<int32_t>(text.size()), code));
  }
  static void LockString(REALstring s) {
    if (s) ++AsString(s)->refs;
    Log("REALLockString");
  }
  static void UnlockString(REALstring s) {
    ReleaseString(AsString(s));
    Log("REALUnlockString");
  }
  static REALboolean GetStringData(REALstring s, uint32_t code, REALstringData* out) {
    Log("PluginGetStringData " + std::to_string(code));
    if (Current().fail_string_data || s == nullptr) return 0;
    std::string text = AsString(s)->text();
    auto* copy = static_cast<char*>(std::malloc(text.size() + 1));
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = Current().unterminated_strings ? 'X' : 0;
    out->data = copy;
    out->length = static_cast<REALsword>(text.size());
    out->encoding = code == REALEncodingUnknown ? AsString(s)->encoding : code;
    ++Current().live_string_data;
    return 1;
  }
  static void DisposeStringData(REALstringData* d) {
    Log("PluginDisposeStringData");
    std::free(const_cast<void*>(d->data));
    --Current().live_string_data;
  }
  static const char* CString(REALstring s) {
    return s ? reinterpret_cast<const char*>(AsString(s)->storage.data() + 1) : nullptr;
  }
  static int32_t LenB(REALstring s) { return s ? static_cast<int32_t>(AsString(s)->words[REALstringLengthWord]) : 0; }
  static REALproc LoadGlobalMethod(const char* decl) {
    if (std::string(decl) == "LenB( s as string ) as integer") return Entry(&LenB);
    return nullptr;
  }
  static REALmemoryBlock NewBlock(int32_t size) {
    if (Current().fail_new_block || size < 0) return nullptr;
    return Current().NewBlock(static_cast<size_t>(size));
  }
  static void* BlockPtr(REALmemoryBlock b) {
    if (b == nullptr || Current().null_block_ptr) return nullptr;
    Block* block = AsBlock(b);
    return block->foreign != nullptr ? block->foreign : block->bytes.data();
  }
  static int32_t BlockSize(REALmemoryBlock b) {
    if (b == nullptr) return 0;
    return AsBlock(b)->reported_size.value_or(static_cast<int32_t>(AsBlock(b)->bytes.size()));
  }
  static REALmemoryBlock PtrToBlock(void* address) { return Current().NewForeignBlock(address, 0); }

  static std::map<std::string, REALproc> Table() {
    return {
        {"RegisterPluginVersion", Entry(&RegisterPluginVersion)},
        {"REALGetRBVersion", Entry(&GetVersion)},
        {"PluginRegisterClass", Entry(&RegisterClass)},
        {"PluginRegisterClassExtension", Entry(&RegisterExtension)},
        {"PluginRegisterMethod", Entry(&RegisterMethod)},
        {"PluginNewInstance", Entry(&NewInstance)},
        {"REALSetPropValueString", Entry(&SetPropString)},
        {"REALSetPropValueInt", Entry(&SetPropInt)},
        {"RuntimeRaiseException", Entry(&Raise)},
        {"REALLockObject", Entry(&LockObject)},
        {"REALUnlockObject", Entry(&UnlockObject)},
        {"REALBuildString", Entry(&BuildString)},
        {"REALSetStringEncoding", Entry(&SetEncoding)},
        {"REALGetStringEncoding", Entry(&GetEncoding)},
        {"REALConvertString", Entry(&Convert)},
        {"REALLockString", Entry(&LockString)},
        {"REALUnlockString", Entry(&UnlockString)},
        {"PluginGetStringData", Entry(&GetStringData)},
        {"PluginDisposeStringData", Entry(&DisposeStringData)},
        {"StringGetCString", Entry(&CString)},
        {"REALLoadGlobalMethod", Entry(&LoadGlobalMethod)},
        {"newMemoryBlock", Entry(&NewBlock)},
        {"memoryBlockGetPtr", Entry(&BlockPtr)},
        {"memoryBlockGetSize", Entry(&BlockSize)},
        {"PtrToMemoryBlock", Entry(&PtrToBlock)},
    };
  }
};

Host::Host() : services(Services::Table()) { current = this; }

Host::~Host() {
  // The plug-in's leftovers go without their destructors: its image may be gone.
  for (String* s : strings_) delete s;
  for (Block* b : blocks_) delete b;
  for (Object* o : objects_) delete o;
  if (current == this) current = nullptr;
}

void Host::Load(const std::string& file) {
  void* image = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (image == nullptr) throw std::runtime_error(std::string("dlopen: ") + dlerror());
  auto main = reinterpret_cast<REALPluginMainProc>(dlsym(image, "REALPluginMain"));
  if (main == nullptr) throw std::runtime_error("no REALPluginMain in " + file);
  main(&Resolve);
}

void Host::LoadFreshCopy(const std::string& file) {
  const testsupport::ScratchDir dir;
  const std::filesystem::path copy = dir / std::filesystem::path(file).filename().string();
  std::filesystem::copy_file(file, copy);
  Load(copy.string());
}

const REALclassDefinition* Host::Extension(const std::string& name) const {
  for (auto* d : extensions) {
    if (name == d->name) return d;
  }
  return nullptr;
}

const REALclassDefinition* Host::Class(const std::string& name) const {
  for (auto* d : classes) {
    if (name == d->name) return d;
  }
  return nullptr;
}

const REALmethodDefinition* Host::GlobalMethod() const { return methods.empty() ? nullptr : methods.front(); }

REALproc Host::Method(const REALclassDefinition* d, const std::string& declaration) const {
  if (d == nullptr) return nullptr;
  if (level == 9) {
    auto* r =
        FindRecord<REALmethodDefinition9>(d->methods, d->methodCount, declaration, &REALmethodDefinition9::declaration);
    return r != nullptr ? r->function : nullptr;
  }
  auto* r =
      FindRecord<REALmethodDefinition>(d->methods, d->methodCount, declaration, &REALmethodDefinition::declaration);
  return r != nullptr ? r->function : nullptr;
}

REALproc Host::Getter(const REALclassDefinition* d, const std::string& property) const {
  if (d == nullptr) return nullptr;
  if (level == 9) {
    auto* r = FindRecord<REALproperty9>(d->properties, d->propertyCount, property, &REALproperty9::name);
    return r != nullptr ? r->getter : nullptr;
  }
  auto* r = FindRecord<REALproperty>(d->properties, d->propertyCount, property, &REALproperty::name);
  return r != nullptr ? r->getter : nullptr;
}

REALmemoryBlock Host::NewBlock(size_t size, unsigned char fill) {
  Block* b = Services::MakeBlock();
  b->bytes.assign(size, fill);
  return reinterpret_cast<REALmemoryBlock>(b);
}

REALmemoryBlock Host::NewForeignBlock(void* address, int32_t reported_size) {
  Block* b = Services::MakeBlock();
  b->foreign = address;
  b->reported_size = reported_size;
  return reinterpret_cast<REALmemoryBlock>(b);
}

std::vector<unsigned char>& Host::Bytes(REALmemoryBlock block) { return AsBlock(block)->bytes; }

void* Host::BlockAddress(REALmemoryBlock block) { return Services::BlockPtr(block); }

REALobject Host::NewInstance(const std::string& class_name) {
  const REALclassDefinition* d = Class(class_name);
  if (d == nullptr || d->dataSize > sizeof(Object::data)) return nullptr;
  Object* o = Services::MakeObject(class_name);
  o->definition = d;
  auto object = reinterpret_cast<REALobject>(o);
  if (d->constructor != nullptr) reinterpret_cast<void (*)(REALobject)>(d->constructor)(object);
  return object;
}

int Host::Refs(REALobject object) const {
  if (*reinterpret_cast<Kind*>(object) == Kind::Object) return AsObject(object)->refs;
  return reinterpret_cast<Block*>(object)->refs;
}

void Host::Release(REALobject object) {
  if (object == nullptr) return;
  if (*reinterpret_cast<Kind*>(object) == Kind::Block) {
    auto* b = reinterpret_cast<Block*>(object);
    if (--b->refs > 0) return;
    --live_blocks;
    blocks_.erase(b);
    delete b;
    return;
  }
  Object* o = AsObject(object);
  if (--o->refs > 0) return;
  // Word 6 is the destructor in the long and the short form alike.
  if (o->definition != nullptr && o->definition->destructor != nullptr) {
    reinterpret_cast<void (*)(REALobject)>(o->definition->destructor)(object);
  }
  --live_objects;
  objects_.erase(o);
  delete o;
}

int Host::LookupsOf(const std::string& name) const {
  int n = 0;
  for (const std::string& l : lookups) n += l == name;
  return n;
}

int Host::LiveObjects() const {
  int held = 0;
  for (const Object* o : raised) held += o->refs == 1;
  return live_strings + live_blocks + live_objects - held;
}

namespace {
std::unique_ptr<Host> owned;
}  // namespace

Host& Current() { return *current; }

void Reset() {
  owned.reset();
  owned = std::make_unique<Host>();
}

void Destroy() { owned.reset(); }

REALproc Resolve(const char* name) {
  Host& h = Current();
  h.lookups.push_back(name);
  if (std::string(name) == "REALGetRBVersion" && !h.version) return nullptr;
  auto it = h.services.find(name);
  return it == h.services.end() ? nullptr : it->second;
}

REALstring MakeString(const std::string& bytes, uint32_t encoding) {
  return reinterpret_cast<REALstring>(Services::NewString(bytes.data(), static_cast<int32_t>(bytes.size()), encoding));
}
String* AsString(REALstring s) { return reinterpret_cast<String*>(s); }
Block* AsBlock(REALmemoryBlock b) { return reinterpret_cast<Block*>(b); }
Object* AsObject(REALobject o) { return reinterpret_cast<Object*>(o); }
void Unlock(REALstring s) { Services::ReleaseString(AsString(s)); }
void Unlock(REALmemoryBlock b) { Current().Release(reinterpret_cast<REALobject>(b)); }

}  // namespace fakehost
