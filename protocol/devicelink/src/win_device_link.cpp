#include "devicelink/win_device_link.h"

#include "protocol/module.h"
#include "protocol/trace.h"

namespace HID {

framework::Ref<framework::Object> DeviceWin;

void SendCommand(const WinHIDQVXMembers& members, const BoundMembers& bound,
                 const framework::Ref<framework::MemoryBlock>& packet) {
#if DiagnosticBuild
  DebugSendCommand(bound, *packet);
#endif
  if (packet->Size() != 64) bound.ShowMessage("Invalid packet size.");
  members.SendMessageMemory(DeviceWin, packet, 0, packet->Size());
}

framework::Ref<framework::MemoryBlock> ReadCommand(const WinHIDQVXMembers& members, const BoundMembers& bound,
                                                   ReadMode) {
  framework::Ref<framework::MemoryBlock> result = members.ReadMessageMemory(DeviceWin, 64, 1000);
#if DiagnosticBuild
  if (result) DebugReadCommand(bound, *result);
#else
  (void)bound;
#endif
  return result;
}

std::shared_ptr<const WinHIDQVXMembers> InstallWinDeviceLink(pluginhost::Binder& binder) {
  ReleaseDeviceWin = [] {
    framework::Ref<framework::Object> old = std::move(DeviceWin);
    DeviceWin = nullptr;
    old = nullptr;
  };
  return std::make_shared<const WinHIDQVXMembers>(DeclareWinHIDQVX(binder));
}

}  // namespace HID
