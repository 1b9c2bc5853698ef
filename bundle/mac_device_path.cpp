#include "mac_device_path.h"

#include "devicelink/device_link.h"

namespace updater::bundle {

using framework::Ref;

namespace {

class MacDevice final : public DeviceObject {
 public:
  MacDevice(std::shared_ptr<const HID::MacHIDQVXMembers> members, const HID::BoundMembers& hid)
      : device_(framework::make<HID::MyMacHID>(std::move(members), hid)) {}
  bool FindFirstDevice() override { return device_->FindFirstDevice(); }
  bool FindNextDevice() override { return device_->FindNextDevice(); }
  int32_t VendorID() override { return device_->VendorID(); }
  int32_t ProductID() override { return device_->ProductID(); }
  void Connect() override { device_->Connect(); }
  int32_t Lasterror() override { return device_->Lasterror(); }
  void InstallCallback() override { device_->InstallCallback(); }
  const Ref<HID::MyMacHID>& device() const { return device_; }

 private:
  Ref<HID::MyMacHID> device_;
};

}  // namespace

DevicePath MacDevicePath(std::shared_ptr<const HID::MacHIDQVXMembers> members, const HID::BoundMembers& hid) {
  DevicePath path;
  path.NewDevice = [members, hid] { return std::make_shared<MacDevice>(members, hid); };
  path.SetDeviceMac = [](const std::shared_ptr<DeviceObject>& device) {
    auto* mac = dynamic_cast<MacDevice*>(device.get());
    HID::DeviceMac = mac ? mac->device() : Ref<HID::MyMacHID>();
  };
  path.SendCommand = [hid](const Ref<framework::MemoryBlock>& packet) { HID::SendCommand(hid, packet); };
  path.ReadCommand = [hid](HID::ReadMode mode) { return HID::ReadCommand(hid, mode); };
  return path;
}

}  // namespace updater::bundle
