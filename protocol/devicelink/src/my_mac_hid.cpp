#include "devicelink/my_mac_hid.h"

#include "carbon/carbon.h"
#include "devicelink/mac_hid_members.h"
#include "framework/system.h"
#include "framework/time.h"
#include "pluginhost/call_frame.h"
#include "pluginhost/events.h"
#include "pluginhost/host.h"

namespace HID {

using framework::MemoryBlock;
using framework::Ref;
using framework::String;

const framework::ClassRecord& MyMacHID::class_record() {
  static const framework::ClassRecord& record =
      framework::define_class("MyMacHID", &framework::Object::class_record(), 0, framework::native_type_of<MyMacHID>());
  return record;
}

MyMacHID::MyMacHID(std::shared_ptr<const MacHIDQVXMembers> members, const BoundMembers& bound)
    : members_(std::move(members)), show_message_(bound.ShowMessage), hid_(pluginhost::new_instance("MacHIDQVX")) {
  if (hid_) {
    pluginhost::connect_event<void(String, int32_t)>(
        hid_.get(), "ReceivedData", [this](String data, int32_t size) { Event_ReceivedData(data, size); });
    pluginhost::connect_event<void(int32_t)>(hid_.get(), "DeviceRemoved",
                                             [this](int32_t result) { Event_DeviceRemoved(result); });
  }
  Constructor();
}

MyMacHID::~MyMacHID() {
  if (hid_) pluginhost::disconnect_events(hid_.get());
}

void MyMacHID::Close() { members_->Close(hid_); }
bool MyMacHID::FindFirstDevice() { return members_->FindFirstDevice(hid_); }
bool MyMacHID::FindNextDevice() { return members_->FindNextDevice(hid_); }
String MyMacHID::Product() { return members_->Product(hid_); }
String MyMacHID::SerialNumber() { return members_->SerialNumber(hid_); }
String MyMacHID::Manufacturer() { return members_->Manufacturer(hid_); }
int32_t MyMacHID::ProductID() { return members_->ProductID(hid_); }
int32_t MyMacHID::VendorID() { return members_->VendorID(hid_); }
int32_t MyMacHID::VersionNumber() { return members_->VersionNumber(hid_); }
void MyMacHID::Connect() { members_->Connect(hid_); }
void MyMacHID::Disconnect() { members_->Disconnect(hid_); }
void MyMacHID::InstallCallback() { members_->InstallCallback(hid_); }

void MyMacHID::SendMessageMemory(const Ref<MemoryBlock>& data, int32_t offset, int32_t length) {
  members_->SendMessageMemory(hid_, data, offset, length);
}
void MyMacHID::SendMessage(const String& data) { members_->SendMessage(hid_, data); }
String MyMacHID::ReadMessage(int32_t ReportID, int32_t reportType, int32_t length) {
  return members_->ReadMessage(hid_, ReportID, reportType, length);
}
Ref<MemoryBlock> MyMacHID::ReadMessageMemory(int32_t ReportID, int32_t reportType, int32_t length) {
  return members_->ReadMessageMemory(hid_, ReportID, reportType, length);
}
void MyMacHID::SendMessageMemory(int32_t ReportID, int32_t reportType, const Ref<MemoryBlock>& data, int32_t offset,
                                 int32_t length) {
  members_->SendMessageMemory2(hid_, ReportID, reportType, data, offset, length);
}
void MyMacHID::SendMessage(int32_t ReportID, int32_t reportType, const String& data) {
  members_->SendMessage2(hid_, ReportID, reportType, data);
}
int32_t MyMacHID::Lasterror() const { return members_->Lasterror.get(hid_); }
void MyMacHID::set_Lasterror(int32_t value) { members_->Lasterror.set(hid_, value); }
int32_t MyMacHID::TimeOut() const { return members_->TimeOut.get(hid_); }
void MyMacHID::set_TimeOut(int32_t value) { members_->TimeOut.set(hid_, value); }

void MyMacHID::Event_DeviceRemoved(int32_t) {}

void MyMacHID::Event_ReceivedData(const String& data, int32_t size) {
  framework::System::DebugLog(String("ReceiveData: ") + members_->EncodingToHexQVX(data));
  Ref<MemoryBlock> block = framework::StringToMemoryBlock(data);
  if (datas.size() >= kMaxQueuedReports) {
    // Reads take the newest; the oldest would never be taken.
    datas.pop_front();
    if (!dropped_) framework::System::DebugLog(String("Receive queue full: the oldest reports are dropped."));
    dropped_ = true;
  }
  datas.push_back(block);
  if (size != block->Size() || block->Size() != 64) show_message_("Invalid data length received.");
}

void MyMacHID::MyWait() {
  // The plug-in's event handler runs inside; what its handlers raise waits
  // until the platform call has returned.
  pluginhost::CallFrame frame;
  WaitNextEvent(0, reinterpret_cast<::EventRecord*>(EventRecord->data()), 0, nullptr);
  frame.finish();
}

Ref<MemoryBlock> MyMacHID::Take() {
  if (datas.empty()) return nullptr;
  Ref<MemoryBlock> report = datas.back();
  datas.pop_back();
  report->set_LittleEndian(true);
  return report;
}

Ref<MemoryBlock> MyMacHID::Read(bool immediate) {
  if (immediate) {
    MyWait();
    return Take();
  }
  const int64_t deadline = framework::Ticks() + 120;
  for (;;) {
    if (framework::Ticks() >= deadline) return nullptr;
    if (!datas.empty()) return Take();
    MyWait();
    framework::Yield();
  }
}

void MyMacHID::Constructor() {
  EventRecord = framework::NewMemoryBlock(100);
  set_TimeOut(2222);
}

}  // namespace HID
