#pragma once
// The default device as the tests meet it: vendor 0x04D8, product 0x003C.

#include "hidbus/hidbus.h"

namespace testsupport {

// Its description on the HID bus, for a device a test attaches in process.
hidbus::DeviceInfo BootloaderInfo();

}  // namespace testsupport
