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
  explicit WinDevice(std::shared_ptr<const HID::WinHIDQVXMembers> members)
      : members_(std::move(members)), device_(pluginhost::new_instance("WinHIDQVX")) {}
  bool FindFirstDevice() override { return members_->FindFirstDevice(device_); }
  bool FindNextDevice() override { return members_->FindNextDevice(device_); }
  int32_t VendorID() override { return members_->VendorID(device_); }
  int32_t ProductID() override { return members_->ProductID(device_); }
  bool Connect() override { return members_->Connect(device_); }
  const Ref<Object>& device() const { return device_; }

 private:
  std::shared_ptr<const HID::WinHIDQVXMembers> members_;
  Ref<Object> device_;
};

}  // namespace

DevicePath WinDevicePath(std::shared_ptr<const HID::WinHIDQVXMembers> members, const HID::BoundMembers& hid) {
  DevicePath path;
  path.NewDeviceWin = [members] { return std::make_shared<WinDevice>(members); };
  path.SetDeviceWin = [](const std::shared_ptr<WinDeviceObject>& device) {
    auto* win = dynamic_cast<WinDevice*>(device.get());
    HID::DeviceWin = win ? win->device() : Ref<Object>();
  };
  path.SendCommand = [members, hid](const Ref<framework::MemoryBlock>& packet) {
    HID::SendCommand(*members, hid, packet);
  };
  path.ReadCommand = [members, hid](HID::ReadMode mode) { return HID::ReadCommand(*members, hid, mode); };
  return path;
}

}  // namespace updater::bundle
