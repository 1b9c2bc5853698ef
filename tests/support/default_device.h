#pragma once
// The default device as the tests meet it: vendor 0x04D8, product 0x003C,
// family 1, 56 data bytes per packet, a program region at 0x1000 of 0x7000
// addresses and a configuration region at 0x300000 of 14.

#include <array>
#include <cstdint>

#include "hidbus/hidbus.h"

namespace testsupport {

// Its description on the HID bus, for a device a test attaches in process.
hidbus::DeviceInfo BootloaderInfo();

// Its answer to QUERY_DEVICE: both regions, then the end mark.
std::array<uint8_t, 64> DefaultQueryReply();

}  // namespace testsupport
