#pragma once
// The mac device path over the device link: MyMacHID objects for the search,
// HID::DeviceMac, HID::SendCommand and HID::ReadCommand.

#include <memory>

#include "devicelink/mac_hid_members.h"
#include "protocol/bound.h"
#include "updater/device_path.h"

namespace updater::bundle {

// `members`: those InstallMacDeviceLink declared, bound; `hid`: the module's
// members, for the link's warnings and trace.
DevicePath MacDevicePath(std::shared_ptr<const HID::MacHIDQVXMembers> members, const HID::BoundMembers& hid);

}  // namespace updater::bundle
