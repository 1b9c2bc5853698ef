#include "start_up.h"

#include "framework/ui/msgbox.h"
#include "outside_direct.h"
#include "protocol/messages.h"
#include "updater/device_path.h"
#include "updater/outside.h"

namespace updater::bundle {

namespace {

// The device path while no device class is bound: the walk finds nothing,
// so the search goes on until the user cancels.
class NoDevices final : public DeviceObject {
 public:
  bool FindFirstDevice() override { return false; }
  bool FindNextDevice() override { return false; }
  int32_t VendorID() override { return 0; }
  int32_t ProductID() override { return 0; }
  void Connect() override {}
  int32_t Lasterror() override { return -1; }
  void InstallCallback() override {}
};

}  // namespace

void StartUp() {
  HID::SetMessageHandler([](const framework::String& text) { framework::MsgBox(text); });
  set_outside(DirectOutsideMembers());

  DevicePath path;
  path.NewDevice = [] { return std::make_shared<NoDevices>(); };
  path.SetDeviceMac = [](const std::shared_ptr<DeviceObject>&) {};
  path.SendCommand = [](const framework::Ref<framework::MemoryBlock>&) {};
  path.ReadCommand = [](bool) { return framework::Ref<framework::MemoryBlock>(); };
  set_device_path(std::move(path));
}

}  // namespace updater::bundle
