#pragma once
// The HID device interface of one device, over a hidbus report channel.

#include "hidbus/hidbus.h"
#include "iokit/hid.h"

namespace iokit::hid {

// A new interface with one reference; the caller reaches it as IOHIDDeviceInterface**.
void* new_device_interface(const hidbus::DeviceInfo& device);

}  // namespace iokit::hid
