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
#include "framework/ui/picture.h"
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

namespace {

// The picture a plug-in makes from its decoded pixels.
Ref<framework::Object> PictureFromRGB(int32_t width, int32_t height, std::span<const uint8_t> rgb) {
  Ref<framework::Picture> picture = framework::make<framework::Picture>(width, height);
  uint32_t* pixels = picture->pixels();
  for (int64_t i = 0; i < int64_t(width) * height; ++i) {
    pixels[i] = 0xFF000000u | uint32_t(rgb[3 * i]) << 16 | uint32_t(rgb[3 * i + 1]) << 8 |
                uint32_t(rgb[3 * i + 2]);
  }
  return picture;
}

}  // namespace

void StartUp() {
  HID::SetMessageHandler([](const framework::String& text) { framework::MsgBox(text); });
  pluginhost::set_unbound_reporter([](const framework::String& text) { framework::MsgBox(text); });
  pluginhost::set_picture_maker(PictureFromRGB);

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
  binder.bind_or_quit();

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
