#include "plugin_host.h"

#include "carbon/carbon.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <map>

namespace machid_test {
namespace {

constexpr REALword kDataOffset = 16;  // where this host puts the plug-in data
constexpr REALword kReceivedDataWord = 1;
constexpr REALword kDeviceRemovedWord = 2;

struct Instance {
  int refs = 1;
  Device* owner = nullptr;
};

std::map<REALobject, Instance>& instances() {
  static auto* map = new std::map<REALobject, Instance>;
  return *map;
}

REALclassDefinition* definition = nullptr;
void (*host_lock)(REALobject) = nullptr;
void (*host_unlock)(REALobject) = nullptr;

REALboolean InRuntime() { return 1; }

void LockObject(REALobject o) {
  auto it = instances().find(o);
  if (it == instances().end()) return host_lock(o);
  ++it->second.refs;
}

void UnlockObject(REALobject o) {
  auto it = instances().find(o);
  if (it == instances().end()) return host_unlock(o);
  --it->second.refs;
}

void OnReceivedData(REALobject o, REALstring data, int32_t size) {
  Received r;
  if (data != nullptr) {
    r.data = fakehost::AsString(data)->text();
    r.encoding = fakehost::AsString(data)->encoding;
  }
  r.size = size;
  r.locks = Locks(o);
  instances().at(o).owner->received.push_back(r);
}

void OnDeviceRemoved(REALobject o, int32_t result) {
  instances().at(o).owner->removed.push_back(result);
}

int unknown_objects = 0;

REALproc EventInstance(REALobject o, REALword word) {
  auto it = instances().find(o);
  if (it == instances().end()) {
    ++unknown_objects;
    return nullptr;
  }
  if (!it->second.owner->handles_events) return nullptr;
  if (word == kReceivedDataWord) return reinterpret_cast<REALproc>(&OnReceivedData);
  if (word == kDeviceRemovedWord) return reinterpret_cast<REALproc>(&OnDeviceRemoved);
  return nullptr;
}

void LoadOnce() {
  if (definition != nullptr) return;
  fakehost::Reset();
  auto& services = fakehost::Current().services;
  host_lock = reinterpret_cast<void (*)(REALobject)>(services["REALLockObject"]);
  host_unlock = reinterpret_cast<void (*)(REALobject)>(services["REALUnlockObject"]);
  services["REALLockObject"] = reinterpret_cast<REALproc>(&LockObject);
  services["REALUnlockObject"] = reinterpret_cast<REALproc>(&UnlockObject);
  services["REALinRuntime"] = reinterpret_cast<REALproc>(&InRuntime);
  services["GetEventInstance"] = reinterpret_cast<REALproc>(&EventInstance);

  void* file = dlopen(QVXMACHID_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(file, nullptr) << dlerror();
  auto main = reinterpret_cast<REALPluginMainProc>(dlsym(file, "REALPluginMain"));
  ASSERT_NE(main, nullptr);
  main(&fakehost::Resolve);
  ASSERT_EQ(fakehost::Current().classes.size(), 1u);
  // What a host does at registration: the data offset and the events' host words.
  definition = fakehost::Current().classes[0];
  definition->dataOffset = kDataOffset;
  definition->events[0].hostWord = kReceivedDataWord;
  definition->events[1].hostWord = kDeviceRemovedWord;
}

template <typename R, typename... A>
R Member(REALobject o, Slot slot, A... args) {
  auto f = reinterpret_cast<R (*)(REALobject, A...)>(definition->methods[slot].function);
  return f(o, args...);
}

}  // namespace

REALclassDefinition& Definition() { return *definition; }

int Locks(REALobject o) { return instances().at(o).refs; }
int EventsForUnknownObjects() { return unknown_objects; }

Device::Device(bool events) : handles_events(events) {
  const std::size_t size = kDataOffset + Definition().dataSize;
  object_ = static_cast<REALobject>(std::aligned_alloc(16, size));
  std::memset(object_, 0, size);
  instances()[object_].owner = this;
  reinterpret_cast<void (*)(REALobject)>(Definition().constructor)(object_);
}

Device::~Device() {
  reinterpret_cast<void (*)(REALobject)>(Definition().destructor)(object_);
  EXPECT_EQ(Locks(object_), 1) << "a reference to the object was kept";
  instances().erase(object_);
  std::free(object_);
}

int32_t& Device::TimeOut() {
  return *reinterpret_cast<int32_t*>(reinterpret_cast<unsigned char*>(object_) + kDataOffset);
}
int32_t& Device::Lasterror() {
  return *reinterpret_cast<int32_t*>(reinterpret_cast<unsigned char*>(object_) + kDataOffset + 4);
}

bool Device::FindFirstDevice() { return Member<REALboolean>(object_, kFindFirstDevice) != 0; }
bool Device::FindNextDevice() { return Member<REALboolean>(object_, kFindNextDevice) != 0; }

std::optional<std::string> Device::Text(Slot slot, uint32_t* encoding) {
  REALstring s = Member<REALstring>(object_, slot);
  if (s == nullptr) return std::nullopt;
  std::string text = fakehost::AsString(s)->text();
  if (encoding != nullptr) *encoding = fakehost::AsString(s)->encoding;
  fakehost::Unlock(s);
  return text;
}

int32_t Device::Number(Slot slot) { return Member<int32_t>(object_, slot); }
void Device::Call(Slot slot) { Member<void>(object_, slot); }

void Device::SendMessageMemory(REALmemoryBlock data, int32_t offset, int32_t length) {
  Member<void>(object_, kSendMessageMemory, data, offset, length);
}

void Device::SendMessage(const std::string& bytes) {
  REALstring s = fakehost::MakeString(bytes, REALEncodingUnknown);
  Member<void>(object_, kSendMessage, s);
  fakehost::Unlock(s);
}

std::optional<std::string> Device::ReadMessage(int32_t length) {
  REALstring s = Member<REALstring>(object_, kReadMessage, int32_t{0}, int32_t{0}, length);
  if (s == nullptr) return std::nullopt;
  std::string text = fakehost::AsString(s)->text();
  fakehost::Unlock(s);
  return text;
}

std::optional<std::string> Device::ReadMessageMemory(int32_t length) {
  REALmemoryBlock b =
      Member<REALmemoryBlock>(object_, kReadMessageMemory, int32_t{0}, int32_t{0}, length);
  if (b == nullptr) return std::nullopt;
  const auto& bytes = fakehost::AsBlock(b)->bytes;
  std::string text(bytes.begin(), bytes.end());
  fakehost::Unlock(b);
  return text;
}

void PluginTest::SetUp() {
  LoadOnce();
  host().calls.clear();
}

void PluginTest::TearDown() {
  for (auto* raised : host().raised) host_unlock(reinterpret_cast<REALobject>(raised));
  host().raised.clear();
  EXPECT_EQ(host().live_strings, 0) << "strings left";
  EXPECT_EQ(host().live_blocks, 0) << "memory blocks left";
  EXPECT_EQ(host().live_string_data, 0) << "string data not disposed";
}

void PluginTest::Pump() {
  EventRecord record;
  WaitNextEvent(0, &record, 0, nullptr);
}

std::vector<std::string> PluginTest::RaisedExceptions() const {
  std::vector<std::string> names;
  for (auto* raised : host().raised)
    names.push_back(raised->class_name + ": " + raised->string_props["Message"]);
  return names;
}

}  // namespace machid_test
