#pragma once
// What start-up bound, as the application uses it: the module's members, the
// package reader's outside members, the device path and the service
// console's entry points, in one value. The
// program builds it once before the application object is made and hands it
// to App, which keeps it for the run; tests build it with fakes.

#include <functional>

#include "framework/string.h"
#include "protocol/bound.h"
#include "updater/device_path.h"
#include "updater/outside.h"

namespace updater {

class mainWindow;

// The service console stands above the update window: it hands in its entry
// points when it registers at start-up. Unset (a shipped build), neither does
// anything.
struct ConsoleEntries {
  // mainWindow's Open: places the console (made on first use) below `window`
  // and shows it.
  std::function<void(mainWindow& window)> OpenBelow;
  // mainWindow's StartNext: enables the console's Startnext button.
  std::function<void()> EnableStartnext;
};

struct Bound {
  HID::BoundMembers hid;
  OutsideMembers outside;
  DevicePath device;
  // The outside plug-in's "DecodingFromHexQVX(hex as string) as string": two
  // hex digits (either case) per byte, blanks skipped, the first other
  // character ending the text, a lone last digit dropped. The service
  // console's Write reads its text with it; bound in diagnostic builds only.
  std::function<framework::String(const framework::String& hex)> DecodingFromHexQVX;
  ConsoleEntries console;
};

}  // namespace updater
