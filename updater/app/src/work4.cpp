// Step 6: programming.
//
// Every region that is not a configuration region goes out in PROGRAM_DEVICE
// packets, back to back and without waiting for answers, then one
// PROGRAM_COMPLETE; protocol/program_packets.h cuts the packets.
#include <vector>

#include "framework/numbers.h"
#include "framework/time.h"
#include "protocol/module.h"
#include "protocol/packets.h"
#include "protocol/program_packets.h"
#include "protocol/query_device.h"
#include "updater/app.h"
#include "updater/main_window.h"

namespace updater {

using framework::MemoryBlock;
using framework::Ref;

void mainWindow::Work4() {
  info().set_Text("Writing new firmware to device...");
  const Bound& bound = TheApp().bound();
  const DevicePath& path = bound.device;

  for (int32_t i = 0; i < HID::memoryRegionsDetected && i < int32_t(HID::MemoryRegions.size()); ++i) {
    const Ref<HID::MemoryRegion> region = HID::MemoryRegions[i];
    if (region->Type != HID::kConfigurationRegionType) {
      const MemoryBlock& image = *region->data;
      const std::vector<HID::ProgramSlice> slices =
          HID::ProgramSlices(*region, image, HID::BytesPerPacket, HID::bytesPerAddress);
      const int64_t total = slices.empty() ? 0 : slices.back().offset + slices.back().count;
      for (size_t n = 0; n < slices.size(); ++n) {
        const HID::ProgramSlice& slice = slices[n];
        bar().set_Value(framework::to_int32(double(slice.offset * 100) / double(total)));
        const framework::String data = HID::ProgramDataField(image, slice);
        // The background gets a turn for every byte copied; the region's last
        // packet is right-aligned in place, a turn for each byte of the field
        // instead of its last byte's.
        const int32_t turns = n + 1 < slices.size() ? slice.count : slice.count - 1 + HID::kPacketDataSize;
        for (int32_t t = 0; t < turns; ++t) framework::Yield();
        path.SendCommand(HID::GetProgramDeviceCommand(bound.hid, slice.address, slice.count, data));
        framework::Yield();
      }
      path.SendCommand(HID::GetProgramCompleteCommand());
    }
    framework::Yield();
  }

  bar().set_Value(100);
  StartNext();
}

}  // namespace updater
