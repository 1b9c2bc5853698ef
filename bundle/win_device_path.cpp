#include "win_device_path.h"

#include "devicelink/win_device_link.h"
#include "pluginhost/host.h"

namespace updater::bundle {

using framework::Object;
using framework::Ref;

namespace {

// A new WinHIDQVX; no application constructor follows the plug-in's own.
class WinDevice final : public WinDeviceObject {
 public:
  WinDevice() : device_(pluginhost::new_instance("WinHIDQVX")) {}
  bool FindFirstDevice() override { return HID::WinHIDQVX().FindFirstDevice(device_); }
  bool FindNextDevice() override { return HID::WinHIDQVX().FindNextDevice(device_); }
  int32_t VendorID() override { return HID::WinHIDQVX().VendorID(device_); }
  int32_t ProductID() override { return HID::WinHIDQVX().ProductID(device_); }
  bool Connect() override { return HID::WinHIDQVX().Connect(device_); }
  const Ref<Object>& device() const { return device_; }

 private:
  Ref<Object> device_;
};

}  // namespace

DevicePath WinDevicePath(const HID::BoundMembers& hid) {
  DevicePath path;
  path.NewDeviceWin = [] { return std::make_shared<WinDevice>(); };
  path.SetDeviceWin = [](const std::shared_ptr<WinDeviceObject>& device) {
    auto* win = dynamic_cast<WinDevice*>(device.get());
    HID::DeviceWin = win ? win->device() : Ref<Object>();
  };
  path.SendCommand = [hid](const Ref<framework::MemoryBlock>& packet) { HID::SendCommand(hid, packet); };
  path.ReadCommand = [hid](bool immediate) { return HID::ReadCommand(hid, immediate); };
  return path;
}

}  // namespace updater::bundle
