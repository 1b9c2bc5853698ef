#include "devicelink/device_link.h"

#include "framework/system.h"
#include "framework/text.h"
#include "protocol/messages.h"
#include "protocol/module.h"

namespace HID {

framework::Ref<MyMacHID> DeviceMac;

void SendCommand(const framework::Ref<framework::MemoryBlock>& packet) {
  // FIXME: a diagnostic build traces the packet here (DebugSendCommand) once the trace exists.
  if (packet->Size() != 64) ShowMessage("Invalid packet size.");
  DeviceMac->SendMessageMemory(packet, 0, packet->Size());
  const int32_t error = DeviceMac->Lasterror();
  if (error != 0)
    framework::System::DebugLog(framework::String("Lasterror after SendMessage ") +
                                framework::Str(error));
}

framework::Ref<framework::MemoryBlock> ReadCommand(bool immediate) {
  framework::Ref<framework::MemoryBlock> result = DeviceMac->Read(immediate);
  // FIXME: a diagnostic build traces a result that is not nil here (DebugReadCommand).
  return result;
}

void InstallMacDeviceLink(pluginhost::Binder& binder) {
  InstallPlatformRunLoop();
  ReleaseDeviceMac = [] {
    framework::Ref<MyMacHID> old = std::move(DeviceMac);
    DeviceMac = nullptr;
    old = nullptr;
  };
  DeclareMacHIDQVX(binder);
}

}  // namespace HID
