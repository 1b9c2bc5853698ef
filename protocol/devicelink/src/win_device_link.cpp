#include "devicelink/win_device_link.h"

#include "protocol/encoding_to_hex.h"
#include "protocol/messages.h"
#include "protocol/module.h"
#include "protocol/trace.h"

namespace HID {

framework::Ref<framework::Object> DeviceWin;

void SendCommand(const framework::Ref<framework::MemoryBlock>& packet) {
#if DiagnosticBuild
  DebugSendCommand(*packet);
#endif
  if (packet->Size() != 64) ShowMessage("Invalid packet size.");
  WinHIDQVX().SendMessageMemory(DeviceWin, packet, 0, packet->Size());
}

framework::Ref<framework::MemoryBlock> ReadCommand(ReadMode) {
  framework::Ref<framework::MemoryBlock> result = WinHIDQVX().ReadMessageMemory(DeviceWin, 64, 1000);
#if DiagnosticBuild
  if (result) DebugReadCommand(*result);
#endif
  return result;
}

void InstallWinDeviceLink(pluginhost::Binder& binder) {
  ReleaseDeviceWin = [] {
    framework::Ref<framework::Object> old = std::move(DeviceWin);
    DeviceWin = nullptr;
    old = nullptr;
  };
  DeclareWinHIDQVX(binder);
  SetEncodingToHexEntry(
      [](const framework::String& data) { return WinHIDQVX().EncodingToHexQVX(data); });
}

}  // namespace HID
