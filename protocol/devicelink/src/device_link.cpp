#include "devicelink/device_link.h"

#include "framework/system.h"
#include "framework/text.h"
#include "protocol/module.h"
#include "protocol/trace.h"

namespace HID {

framework::Ref<MyMacHID> DeviceMac;

void SendCommand(const BoundMembers& bound, const framework::Ref<framework::MemoryBlock>& packet) {
#if DiagnosticBuild
  DebugSendCommand(bound, *packet);
#endif
  if (packet->Size() != 64) bound.ShowMessage("Invalid packet size.");
  DeviceMac->SendMessageMemory(packet, 0, packet->Size());
  const int32_t error = DeviceMac->Lasterror();
  if (error != 0)
    framework::System::DebugLog(framework::String("Lasterror after SendMessage ") + framework::Str(error));
}

framework::Ref<framework::MemoryBlock> ReadCommand(const BoundMembers& bound, ReadMode mode) {
  framework::Ref<framework::MemoryBlock> result = DeviceMac->Read(mode == ReadMode::Immediate);
#if DiagnosticBuild
  if (result) DebugReadCommand(bound, *result);
#else
  (void)bound;
#endif
  return result;
}

std::shared_ptr<const MacHIDQVXMembers> InstallMacDeviceLink(pluginhost::Binder& binder) {
  ReleaseDeviceMac = [] {
    framework::Ref<MyMacHID> old = std::move(DeviceMac);
    DeviceMac = nullptr;
    old = nullptr;
  };
  return std::make_shared<const MacHIDQVXMembers>(DeclareMacHIDQVX(binder));
}

}  // namespace HID
