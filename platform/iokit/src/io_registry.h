#pragma once
// The registry's handles: services (one HID device each) and iterators.

#include "hidbus/hidbus.h"
#include "iokit/hid.h"

namespace iokit::registry {

// The device a service handle names; nullptr for a handle that is not a live service.
const hidbus::DeviceInfo* service_device(io_service_t service);

}  // namespace iokit::registry
