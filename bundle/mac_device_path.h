#pragma once
// The mac device path over the device link: MyMacHID objects for the search,
// HID::DeviceMac, HID::SendCommand and HID::ReadCommand.

#include "protocol/bound.h"
#include "updater/device_path.h"

namespace updater::bundle {

// `hid`: the module's members, for the link's warnings and trace.
DevicePath MacDevicePath(const HID::BoundMembers& hid);

}  // namespace updater::bundle
