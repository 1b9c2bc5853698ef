#pragma once
// What start-up bound, as the application uses it: the module's members, the
// package reader's outside members and the device path, in one value. The
// program builds it once before the application object is made and hands it
// to App, which keeps it for the run; tests build it with fakes.

#include <functional>

#include "framework/string.h"
#include "protocol/bound.h"
#include "updater/device_path.h"
#include "updater/outside.h"

namespace updater {

struct Bound {
  HID::BoundMembers hid;
  OutsideMembers outside;
  DevicePath device;
  // The outside plug-in's "DecodingFromHexQVX(hex as string) as string": two
  // hex digits (either case) per byte, blanks skipped, the first other
  // character ending the text, a lone last digit dropped. The service
  // console's Write reads its text with it; bound in diagnostic builds only.
  std::function<framework::String(const framework::String& hex)> DecodingFromHexQVX;
};

}  // namespace updater
