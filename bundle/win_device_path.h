#pragma once
// The win device path over its device link: WinHIDQVX objects for the search,
// HID::DeviceWin, HID::SendCommand and HID::ReadCommand.

#include "updater/device_path.h"

namespace updater::bundle {

DevicePath WinDevicePath();

}  // namespace updater::bundle
