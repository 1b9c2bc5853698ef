#pragma once
// The mac device path over the device link: MyMacHID objects for the search,
// HID::DeviceMac, HID::SendCommand and HID::ReadCommand.

#include "updater/device_path.h"

namespace updater::bundle {

DevicePath MacDevicePath();

}  // namespace updater::bundle
