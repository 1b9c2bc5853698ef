#include "start_up.h"

#include "framework/memoryblock.h"
#include "framework/ui/msgbox.h"
#include "outside_direct.h"
#include "pluginhost/binder.h"
#include "pluginhost/loader.h"
#include "protocol/fill_bytes.h"
#include "protocol/messages.h"
#include "updater/device_path.h"
#include "updater/outside.h"

namespace updater::bundle {

using framework::MemoryBlock;
using framework::Ref;

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

DevicePath NoDevicePath() {
  DevicePath path;
  path.NewDevice = [] { return std::make_shared<NoDevices>(); };
  path.SetDeviceMac = [](const std::shared_ptr<DeviceObject>&) {};
  path.SendCommand = [](const Ref<MemoryBlock>&) {};
  path.ReadCommand = [](bool) { return Ref<MemoryBlock>(); };
  return path;
}

}  // namespace

void StartUp() {
  HID::SetMessageHandler([](const framework::String& text) { framework::MsgBox(text); });
  pluginhost::set_unbound_reporter([](const framework::String& text) { framework::MsgBox(text); });

  pluginhost::load_plugins(pluginhost::bundle_plugin_folder());

  // The application's plug-in members, in their fixed order.
  pluginhost::Binder binder;
  auto fill = binder.method<void(Ref<MemoryBlock>, int32_t, int32_t, int32_t)>(
      "MemoryBlock", "FillBytesQVX(offset as integer, count as integer, value as integer)");
  binder.bind_or_quit();

  HID::SetFillBytesEntry([fill](MemoryBlock& block, int32_t offset, int32_t count, int32_t value) {
    fill(Ref<MemoryBlock>(&block), offset, count, value);
  });
  set_outside(DirectOutsideMembers());
  set_device_path(NoDevicePath());
}

}  // namespace updater::bundle
