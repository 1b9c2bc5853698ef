#include "devicelink/device_link.h"

#include "framework/system.h"
#include "framework/text.h"
#include "protocol/encoding_to_hex.h"
#include "protocol/messages.h"
#include "protocol/module.h"
#include "protocol/trace.h"

namespace HID {

framework::Ref<MyMacHID> DeviceMac;

void SendCommand(const framework::Ref<framework::MemoryBlock>& packet) {
#if DiagnosticBuild
  DebugSendCommand(*packet);
#endif
  if (packet->Size() != 64) ShowMessage("Invalid packet size.");
  DeviceMac->SendMessageMemory(packet, 0, packet->Size());
  const int32_t error = DeviceMac->Lasterror();
  if (error != 0)
    framework::System::DebugLog(framework::String("Lasterror after SendMessage ") +
                                framework::Str(error));
}

framework::Ref<framework::MemoryBlock> ReadCommand(ReadMode mode) {
  framework::Ref<framework::MemoryBlock> result = DeviceMac->Read(mode == ReadMode::Immediate);
#if DiagnosticBuild
  if (result) DebugReadCommand(*result);
#endif
  return result;
}

void InstallMacDeviceLink(pluginhost::Binder& binder) {
  ReleaseDeviceMac = [] {
    framework::Ref<MyMacHID> old = std::move(DeviceMac);
    DeviceMac = nullptr;
    old = nullptr;
  };
  DeclareMacHIDQVX(binder);
  // The log file's hex text is the outside plug-in's, as in "ReceiveData: ".
  SetEncodingToHexEntry(
      [](const framework::String& data) { return MacHIDQVX().EncodingToHexQVX(data); });
}

}  // namespace HID
