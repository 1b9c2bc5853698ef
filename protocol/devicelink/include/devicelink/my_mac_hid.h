#pragma once
// MyMacHID: the application's device class, a MacHIDQVX that collects the
// input reports it receives and hands them out from Read.
//
// It owns an instance of the plug-in class and takes its events: every
// ReceivedData appends the report to the receive queue `datas`. Reports
// arrive only while events are dispatched: during MyWait, or while the
// framework's event loop runs.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "devicelink/mac_hid_members.h"
#include "framework/memoryblock.h"
#include "framework/object.h"
#include "framework/string.h"
#include "protocol/bound.h"

namespace HID {

class MyMacHID : public framework::Object {
 public:
  static const framework::ClassRecord& class_record();  // "MyMacHID"

  // Creates the plug-in instance (its constructor sets TimeOut 500), then
  // runs Constructor. `members` are the bound MacHIDQVX members (in use once
  // bound); the warnings go to bound.ShowMessage.
  MyMacHID(std::shared_ptr<const MacHIDQVXMembers> members, const BoundMembers& bound);
  ~MyMacHID() override;

  // Inherited from MacHIDQVX: each calls the bound member with the instance.
  void Close();
  bool FindFirstDevice();
  bool FindNextDevice();
  framework::String Product();
  framework::String SerialNumber();
  framework::String Manufacturer();
  int32_t ProductID();
  int32_t VendorID();
  int32_t VersionNumber();
  void Connect();
  void Disconnect();
  void InstallCallback();
  void SendMessageMemory(const framework::Ref<framework::MemoryBlock>& data, int32_t offset, int32_t length);
  void SendMessage(const framework::String& data);
  framework::String ReadMessage(int32_t ReportID, int32_t reportType, int32_t length);
  framework::Ref<framework::MemoryBlock> ReadMessageMemory(int32_t ReportID, int32_t reportType, int32_t length);
  void SendMessageMemory(int32_t ReportID, int32_t reportType, const framework::Ref<framework::MemoryBlock>& data,
                         int32_t offset, int32_t length);
  void SendMessage(int32_t ReportID, int32_t reportType, const framework::String& data);
  int32_t Lasterror() const;
  void set_Lasterror(int32_t value);
  int32_t TimeOut() const;
  void set_TimeOut(int32_t value);

  // Its own members.
  // Does nothing: a removed device shows up only as failed sends and reads that time out.
  void Event_DeviceRemoved(int32_t result);
  // Logs "ReceiveData: " and the report in hex, queues it, and warns
  // "Invalid data length received." when it is not 64 bytes or not size long.
  // A full queue drops its oldest report; the first drop is logged.
  void Event_ReceivedData(const framework::String& data, int32_t size);
  // Gives pending events one turn (WaitNextEvent with an empty mask).
  void MyWait();
  // The report that arrived last, taken from the queue with LittleEndian set;
  // nil when none came: immediate after one event turn, else within 120 ticks.
  framework::Ref<framework::MemoryBlock> Read(bool immediate);
  // EventRecord a 100-byte block, TimeOut 2222.
  void Constructor();

  // Reports the receive queue keeps at most: far more than an update ever
  // leaves untaken, far fewer than a device that sends without pause would
  // pile up.
  static constexpr std::size_t kMaxQueuedReports = 4096;
  // The receive queue, index 0 the oldest.
  std::deque<framework::Ref<framework::MemoryBlock>> datas;

  // The plug-in instance, as bound members take it.
  const framework::Ref<framework::Object>& instance() const { return hid_; }

 protected:
  framework::Ref<framework::MemoryBlock> EventRecord;

 private:
  framework::Ref<framework::MemoryBlock> Take();

  std::shared_ptr<const MacHIDQVXMembers> members_;
  std::function<void(const framework::String& text)> show_message_;
  bool dropped_ = false;  // the queue has been full
  framework::Ref<framework::Object> hid_;
};

}  // namespace HID
