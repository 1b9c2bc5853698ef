#include "start_up.h"

#if defined(UPDATER_DEVICE_PATH_WIN)
#include "devicelink/win_device_link.h"
#include "win_device_path.h"
#else
#include "devicelink/device_link.h"
#include "runloop_bridge/runloop_bridge.h"
#include "mac_device_path.h"
#endif
#include "framework/memoryblock.h"
#include "framework/ui/msgbox.h"
#include "outside_bound.h"
#include "pluginhost/binder.h"
#include "pluginhost/host.h"
#include "pluginhost/loader.h"

#include "console/console_window.h"

namespace updater::bundle {

using framework::MemoryBlock;
using framework::Ref;
using framework::String;

Bound StartUp() {
  pluginhost::load_plugins(pluginhost::bundle_plugin_folder());

  // The application's plug-in members, in their fixed order.
  pluginhost::Binder binder;
  auto fill = binder.method<void(Ref<MemoryBlock>, int32_t, int32_t, int32_t)>(
      "MemoryBlock", "FillBytesQVX(offset as integer, count as integer, value as integer)");
#if defined(UPDATER_DEVICE_PATH_WIN)
  auto hid_members = HID::InstallWinDeviceLink(binder);
#else
  runloop_bridge::install();
  auto hid_members = HID::InstallMacDeviceLink(binder);
#endif
  OutsideMembers outside_members = DeclareOutsideMembers(binder);
#if DiagnosticBuild
  auto decode = binder.method<String(String)>("", "DecodingFromHexQVX(hex as string) as string");
#endif
  const auto show_message = [](const String& text) { framework::MsgBox(text); };
  binder.bind_or_quit(show_message);

  Bound bound;
  bound.hid.ShowMessage = show_message;
  bound.hid.FillBytesQVX = [fill](MemoryBlock& block, int32_t offset, int32_t count, int32_t value) {
    fill(Ref<MemoryBlock>(&block), offset, count, value);
  };
  // The log file's hex text is the outside plug-in's, as in "ReceiveData: ".
  bound.hid.EncodingToHexQVX = [hid_members](const String& data) { return hid_members->EncodingToHexQVX(data); };
  bound.outside = std::move(outside_members);
#if defined(UPDATER_DEVICE_PATH_WIN)
  bound.device = WinDevicePath(hid_members, bound.hid);
#else
  bound.device = MacDevicePath(hid_members, bound.hid);
#endif
#if DiagnosticBuild
  bound.DecodingFromHexQVX = [decode](const String& hex) { return decode(hex); };
#endif
  bound.console = console::Register();
  return bound;
}

}  // namespace updater::bundle
