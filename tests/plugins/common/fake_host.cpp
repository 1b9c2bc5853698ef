#include "fake_host.h"

#include <cstdlib>
#include <cstring>

namespace fakehost {
namespace {

Host* host = nullptr;

void Log(std::string text) { Current().calls.push_back(std::move(text)); }

String* NewString(const void* bytes, int32_t length, uint32_t encoding) {
  auto* s = new String;
  s->encoding = encoding;
  s->storage.resize(static_cast<size_t>(length) + 2);
  s->storage[0] = static_cast<unsigned char>(length);
  if (length > 0) std::memcpy(s->storage.data() + 1, bytes, static_cast<size_t>(length));
  s->storage.back() = Current().unterminated_strings ? 'X' : 0;
  s->words[REALstringTextWord] = reinterpret_cast<REALword>(s->storage.data());
  s->words[REALstringLengthWord] = static_cast<REALword>(length);
  ++Current().live_strings;
  return s;
}

void ReleaseString(String* s) {
  if (s == nullptr) return;
  if (--s->refs == 0) {
    --Current().live_strings;
    delete s;
  }
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

// ---- the services ----

void RegisterPluginVersion(int32_t level) {
  Current().level = level;
  Log("RegisterPluginVersion " + std::to_string(level));
}
double GetVersion() { return *Current().version; }
void RegisterClass(REALclassDefinition* d) {
  Current().classes.push_back(d);
  Log(std::string("PluginRegisterClass ") + d->name);
}
void RegisterExtension(REALclassDefinition* d) {
  Current().extensions.push_back(d);
  Log(std::string("PluginRegisterClassExtension ") + d->name);
}
void RegisterMethod(REALmethodDefinition* m) {
  Current().methods.push_back(m);
  Log(std::string("PluginRegisterMethod ") + m->declaration);
}
REALobject NewInstance(const char* name) {
  auto& known = Current().known_classes;
  bool found = false;
  for (auto& k : known) found = found || k == name;
  if (!found) return nullptr;
  auto* o = new Object;
  o->class_name = name;
  ++Current().live_objects;
  return reinterpret_cast<REALobject>(o);
}
void SetPropString(REALobject o, const char* prop, REALstring value) {
  reinterpret_cast<Object*>(o)->string_props[prop] = value ? AsString(value)->text() : "<nil>";
}
void SetPropInt(REALobject o, const char* prop, int32_t value) { reinterpret_cast<Object*>(o)->int_props[prop] = value; }
void LockObject(REALobject o) {
  if (o) ++reinterpret_cast<Object*>(o)->refs;
}
void UnlockObject(REALobject o) {
  if (o == nullptr) return;
  if (*reinterpret_cast<Kind*>(o) == Kind::Object) {
    auto* obj = reinterpret_cast<Object*>(o);
    if (--obj->refs == 0) {
      --Current().live_objects;
      delete obj;
    }
    return;
  }
  auto* b = reinterpret_cast<Block*>(o);
  if (--b->refs == 0) {
    --Current().live_blocks;
    delete b;
  }
}
void Raise(REALobject o) {
  auto* obj = reinterpret_cast<Object*>(o);
  ++obj->refs;  // the host keeps the exception until it is raised
  Current().raised.push_back(obj);
  Log("RuntimeRaiseException " + obj->class_name);
}
REALstring BuildString(const void* bytes, int32_t length) {
  if (bytes == nullptr || length < 0) return nullptr;
  return reinterpret_cast<REALstring>(NewString(bytes, length, REALEncodingUnknown));
}
void SetEncoding(REALstring s, uint32_t code) {
  if (s) AsString(s)->encoding = code;
}
uint32_t GetEncoding(REALstring s) { return s ? AsString(s)->encoding : 0; }
REALstring Convert(REALstring s, uint32_t code) {
  if (s == nullptr || Current().fail_convert) return nullptr;
  String* from = AsString(s);
  Log("REALConvertString " + std::to_string(code));
  std::string text = from->encoding == REALEncodingUTF16 ? Utf16ToUtf8(*from) : from->text();
  return reinterpret_cast<REALstring>(NewString(text.data(), static_cast<int32_t>(text.size()), code));
}
void LockString(REALstring s) {
  if (s) ++AsString(s)->refs;
  Log("REALLockString");
}
void UnlockString(REALstring s) {
  ReleaseString(AsString(s));
  Log("REALUnlockString");
}
REALboolean GetStringData(REALstring s, uint32_t code, REALstringData* out) {
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
void DisposeStringData(REALstringData* d) {
  Log("PluginDisposeStringData");
  std::free(const_cast<void*>(d->data));
  --Current().live_string_data;
}
const char* CString(REALstring s) {
  return s ? reinterpret_cast<const char*>(AsString(s)->storage.data() + 1) : nullptr;
}
int32_t LenB(REALstring s) { return s ? static_cast<int32_t>(AsString(s)->words[REALstringLengthWord]) : 0; }
REALproc LoadGlobalMethod(const char* decl) {
  if (std::string(decl) == "LenB( s as string ) as integer") return reinterpret_cast<REALproc>(&LenB);
  return nullptr;
}
REALmemoryBlock NewBlock(int32_t size) {
  if (Current().fail_new_block || size < 0) return nullptr;
  auto* b = new Block;
  b->bytes.resize(static_cast<size_t>(size));
  ++Current().live_blocks;
  return reinterpret_cast<REALmemoryBlock>(b);
}
void* BlockPtr(REALmemoryBlock b) {
  if (b == nullptr || Current().null_block_ptr) return nullptr;
  return AsBlock(b)->bytes.data();
}
int32_t BlockSize(REALmemoryBlock b) {
  if (b == nullptr) return 0;
  return AsBlock(b)->reported_size.value_or(static_cast<int32_t>(AsBlock(b)->bytes.size()));
}

}  // namespace

Host& Current() { return *host; }

void Reset() {
  if (host != nullptr) {
    for (auto* o : host->raised) UnlockObject(reinterpret_cast<REALobject>(o));
  }
  delete host;
  host = new Host;
  host->version = 2013.03;
  auto& s = host->services;
  s["RegisterPluginVersion"] = reinterpret_cast<REALproc>(&RegisterPluginVersion);
  s["REALGetRBVersion"] = reinterpret_cast<REALproc>(&GetVersion);
  s["PluginRegisterClass"] = reinterpret_cast<REALproc>(&RegisterClass);
  s["PluginRegisterClassExtension"] = reinterpret_cast<REALproc>(&RegisterExtension);
  s["PluginRegisterMethod"] = reinterpret_cast<REALproc>(&RegisterMethod);
  s["PluginNewInstance"] = reinterpret_cast<REALproc>(&NewInstance);
  s["REALSetPropValueString"] = reinterpret_cast<REALproc>(&SetPropString);
  s["REALSetPropValueInt"] = reinterpret_cast<REALproc>(&SetPropInt);
  s["RuntimeRaiseException"] = reinterpret_cast<REALproc>(&Raise);
  s["REALLockObject"] = reinterpret_cast<REALproc>(&LockObject);
  s["REALUnlockObject"] = reinterpret_cast<REALproc>(&UnlockObject);
  s["REALBuildString"] = reinterpret_cast<REALproc>(&BuildString);
  s["REALSetStringEncoding"] = reinterpret_cast<REALproc>(&SetEncoding);
  s["REALGetStringEncoding"] = reinterpret_cast<REALproc>(&GetEncoding);
  s["REALConvertString"] = reinterpret_cast<REALproc>(&Convert);
  s["REALLockString"] = reinterpret_cast<REALproc>(&LockString);
  s["REALUnlockString"] = reinterpret_cast<REALproc>(&UnlockString);
  s["PluginGetStringData"] = reinterpret_cast<REALproc>(&GetStringData);
  s["PluginDisposeStringData"] = reinterpret_cast<REALproc>(&DisposeStringData);
  s["StringGetCString"] = reinterpret_cast<REALproc>(&CString);
  s["REALLoadGlobalMethod"] = reinterpret_cast<REALproc>(&LoadGlobalMethod);
  s["newMemoryBlock"] = reinterpret_cast<REALproc>(&NewBlock);
  s["memoryBlockGetPtr"] = reinterpret_cast<REALproc>(&BlockPtr);
  s["memoryBlockGetSize"] = reinterpret_cast<REALproc>(&BlockSize);
}

void Destroy() {
  Reset();
  delete host;
  host = nullptr;
}

REALproc Resolve(const char* name) {
  Host& h = Current();
  ++h.lookups[name];
  if (std::string(name) == "REALGetRBVersion" && !h.version) return nullptr;
  auto it = h.services.find(name);
  return it == h.services.end() ? nullptr : it->second;
}

REALstring MakeString(const std::string& bytes, uint32_t encoding) {
  return reinterpret_cast<REALstring>(NewString(bytes.data(), static_cast<int32_t>(bytes.size()), encoding));
}
String* AsString(REALstring s) { return reinterpret_cast<String*>(s); }
Block* AsBlock(REALmemoryBlock b) { return reinterpret_cast<Block*>(b); }
void Unlock(REALstring s) { ReleaseString(AsString(s)); }
void Unlock(REALmemoryBlock b) { UnlockObject(reinterpret_cast<REALobject>(b)); }

}  // namespace fakehost
