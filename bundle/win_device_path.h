#pragma once
// The win device path over its device link: WinHIDQVX objects for the search,
// HID::DeviceWin, HID::SendCommand and HID::ReadCommand.

#include <memory>

#include "devicelink/win_hid_members.h"
#include "protocol/bound.h"
#include "updater/device_path.h"

namespace updater::bundle {

// `members`: those InstallWinDeviceLink declared, bound; `hid`: the module's
// members, for the link's warnings and trace.
DevicePath WinDevicePath(std::shared_ptr<const HID::WinHIDQVXMembers> members, const HID::BoundMembers& hid);

}  // namespace updater::bundle
