#pragma once
// QVXMacHID.so loaded once into the fake host, which here plays the runtime
// as well: the tests call members by slot, and the class events are routed
// to recorded handlers.

#include "fake_host.h"
#include "plugin_interface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace machid_test {

// Slots of the registered methods, in table order.
enum Slot {
  kClose,
  kFindFirstDevice,
  kFindNextDevice,
  kProduct,
  kSerialNumber,
  kManufacturer,
  kProductID,
  kVendorID,
  kVersionNumber,
  kConnect,
  kDisconnect,
  kInstallCallback,
  kSendMessageMemory,
  kSendMessage,
  kReadMessage,
  kReadMessageMemory,
  kSendMessageMemory2,
  kSendMessage2
};

struct Received {
  std::optional<std::string> data;  // nil: nullopt
  uint32_t encoding = 0;
  int32_t size = 0;
  int locks = 0;  // references the object had while its handler ran
};

// One object of the plug-in class, released at the end of its scope.
class Device {
 public:
  explicit Device(bool handles_events = true);
  ~Device();
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  REALobject object() const { return object_; }
  int32_t& Lasterror();
  int32_t& TimeOut();

  bool FindFirstDevice();
  bool FindNextDevice();
  // The text and its encoding, nullopt for nil.
  std::optional<std::string> Text(Slot slot, uint32_t* encoding = nullptr);
  int32_t Number(Slot slot);
  void Call(Slot slot);  // the members without arguments and result
  void SendMessageMemory(REALmemoryBlock data, int32_t offset, int32_t length);
  void SendMessage(const std::string& bytes);
  std::optional<std::string> ReadMessage(int32_t length);
  std::optional<std::string> ReadMessageMemory(int32_t length);

  std::vector<Received> received;
  std::vector<int32_t> removed;
  bool handles_events;

 private:
  REALobject object_;
};

// The class definition the plug-in registered, as the host holds it.
REALclassDefinition& Definition();
// The host's reference count of the object.
int Locks(REALobject object);
// How often the plug-in asked for the event handler of an object that does not exist.
int EventsForUnknownObjects();

// Each test starts with no raised exception and ends with nothing left over.
class PluginTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  static fakehost::Host& host();
  // Gives pending events one turn, as the device link's wait does.
  static void Pump();
  std::vector<std::string> RaisedExceptions() const;
};

}  // namespace machid_test
