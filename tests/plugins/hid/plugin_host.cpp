#include "plugin_host.h"

#include "carbon/carbon.h"

#include <map>
#include <memory>

namespace machid_test {
namespace {

constexpr REALword kReceivedDataWord = 1;
constexpr REALword kDeviceRemovedWord = 2;

// The objects alive now and the test object that receives their events.
std::map<REALobject, Device*>& owners() {
  static auto* map = new std::map<REALobject, Device*>;
  return *map;
}

REALclassDefinition* definition = nullptr;

REALboolean InRuntime() { return 1; }

void OnReceivedData(REALobject o, REALstring data, int32_t size) {
  Received r;
  if (data != nullptr) {
    r.data = fakehost::AsString(data)->text();
    r.encoding = fakehost::AsString(data)->encoding;
  }
  r.size = size;
  r.locks = Locks(o);
  owners().at(o)->received.push_back(r);
}

void OnDeviceRemoved(REALobject o, int32_t result) { owners().at(o)->removed.push_back(result); }

int unknown_objects = 0;

REALproc EventInstance(REALobject o, REALword word) {
  auto it = owners().find(o);
  if (it == owners().end()) {
    ++unknown_objects;
    return nullptr;
  }
  if (!it->second->handles_events) return nullptr;
  if (word == kReceivedDataWord) return reinterpret_cast<REALproc>(&OnReceivedData);
  if (word == kDeviceRemovedWord) return reinterpret_cast<REALproc>(&OnDeviceRemoved);
  return nullptr;
}

// One host for the whole run: the plug-in keeps its handler and service cache.
fakehost::Host& TheHost() {
  static auto* host = new fakehost::Host;
  return *host;
}

void LoadOnce() {
  if (definition != nullptr) return;
  fakehost::Host& host = TheHost();
  host.services["REALinRuntime"] = reinterpret_cast<REALproc>(&InRuntime);
  host.services["GetEventInstance"] = reinterpret_cast<REALproc>(&EventInstance);
  host.Load(QVXMACHID_PATH);
  ASSERT_EQ(host.classes.size(), 1u);
  // What a host does at registration besides the data offset: the events' host words.
  definition = host.classes[0];
  definition->events[0].hostWord = kReceivedDataWord;
  definition->events[1].hostWord = kDeviceRemovedWord;
}

template <typename R, typename... A>
R Member(REALobject o, Slot slot, A... args) {
  auto f = reinterpret_cast<R (*)(REALobject, A...)>(definition->methods[slot].function);
  return f(o, args...);
}

int32_t& DataField(REALobject o, REALword offset) {
  return *reinterpret_cast<int32_t*>(reinterpret_cast<unsigned char*>(o) + definition->dataOffset + offset);
}

}  // namespace

REALclassDefinition& Definition() { return *definition; }

int Locks(REALobject o) { return TheHost().Refs(o); }
int EventsForUnknownObjects() { return unknown_objects; }

Device::Device(bool events) : handles_events(events) {
  object_ = TheHost().NewInstance(Definition().name);
  owners()[object_] = this;
}

Device::~Device() {
  EXPECT_EQ(Locks(object_), 1) << "a reference to the object was kept";
  TheHost().Release(object_);
  owners().erase(object_);
}

int32_t& Device::TimeOut() { return DataField(object_, 0); }
int32_t& Device::Lasterror() { return DataField(object_, 4); }

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
  REALmemoryBlock b = Member<REALmemoryBlock>(object_, kReadMessageMemory, int32_t{0}, int32_t{0}, length);
  if (b == nullptr) return std::nullopt;
  const auto& bytes = fakehost::AsBlock(b)->bytes;
  std::string text(bytes.begin(), bytes.end());
  fakehost::Unlock(b);
  return text;
}

fakehost::Host& PluginTest::host() { return TheHost(); }

void PluginTest::SetUp() {
  LoadOnce();
  host().calls.clear();
}

void PluginTest::TearDown() {
  for (auto* raised : host().raised) host().Release(reinterpret_cast<REALobject>(raised));
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
  for (auto* raised : host().raised) names.push_back(raised->class_name + ": " + raised->string_props["Message"]);
  return names;
}

}  // namespace machid_test
