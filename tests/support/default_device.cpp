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

}  // namespace testsupport
