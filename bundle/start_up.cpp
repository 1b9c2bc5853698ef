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
#include "protocol/fill_bytes.h"
#include "protocol/messages.h"
#include "updater/device_path.h"
#include "updater/outside.h"

#include "console/console_window.h"
#if DiagnosticBuild
#include "console/decoding_from_hex.h"
#endif

namespace updater::bundle {

using framework::MemoryBlock;
using framework::Ref;

void StartUp() {
  HID::SetMessageHandler([](const framework::String& text) { framework::MsgBox(text); });

  pluginhost::load_plugins(pluginhost::bundle_plugin_folder());

  // The application's plug-in members, in their fixed order.
  pluginhost::Binder binder;
  auto fill = binder.method<void(Ref<MemoryBlock>, int32_t, int32_t, int32_t)>(
      "MemoryBlock", "FillBytesQVX(offset as integer, count as integer, value as integer)");
#if defined(UPDATER_DEVICE_PATH_WIN)
  HID::InstallWinDeviceLink(binder);
#else
  runloop_bridge::install();
  HID::InstallMacDeviceLink(binder);
#endif
  OutsideMembers outside_members = DeclareOutsideMembers(binder);
#if DiagnosticBuild
  auto decode = binder.method<framework::String(framework::String)>(
      "", "DecodingFromHexQVX(hex as string) as string");
#endif
  binder.bind_or_quit([](const framework::String& text) { framework::MsgBox(text); });

  HID::SetFillBytesEntry([fill](MemoryBlock& block, int32_t offset, int32_t count, int32_t value) {
    fill(Ref<MemoryBlock>(&block), offset, count, value);
  });
  set_outside(std::move(outside_members));
#if defined(UPDATER_DEVICE_PATH_WIN)
  set_device_path(WinDevicePath());
#else
  set_device_path(MacDevicePath());
#endif
#if DiagnosticBuild
  console::SetDecodingFromHexEntry([decode](const framework::String& hex) { return decode(hex); });
#endif
  console::Register();
}

}  // namespace updater::bundle
