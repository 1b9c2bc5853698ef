#pragma once
// The win device path over its device link: WinHIDQVX objects for the search,
// HID::DeviceWin, HID::SendCommand and HID::ReadCommand.

#include "protocol/bound.h"
#include "updater/device_path.h"

namespace updater::bundle {

// `hid`: the module's members, for the link's warnings and trace.
DevicePath WinDevicePath(const HID::BoundMembers& hid);

}  // namespace updater::bundle
