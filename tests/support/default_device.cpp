#include "default_device.h"

namespace testsupport {

hidbus::DeviceInfo BootloaderInfo() {
  hidbus::DeviceInfo info;
  info.vendor_id = 0x04D8;
  info.product_id = 0x003C;
  info.version = 0x0100;
  info.manufacturer = "Microchip Technology Inc.";
  info.product = "HID Bootloader";
  info.max_input_report = 64;
  info.max_output_report = 64;
  return info;
}

std::array<uint8_t, 64> DefaultQueryReply() {
  // Addresses and sizes least significant byte first, as the device sends them.
  return {0x02, 56,   1,                                         //
          1,    0x00, 0x10, 0x00, 0x00, 0x00, 0x70, 0x00, 0x00,  //
          3,    0x00, 0x00, 0x30, 0x00, 14,   0x00, 0x00, 0x00,  //
          0xFF};
}

}  // namespace testsupport
