// Step 6: programming.
//
// Every region that is not a configuration region goes out in PROGRAM_DEVICE
// packets, back to back and without waiting for answers, then one
// PROGRAM_COMPLETE. A region's image holds Size x bytesPerAddress bytes, and a
// packet carries only whole device addresses: BytesPerPacket rounded down to
// a multiple of bytesPerAddress, at the device address of its first byte.
#include <algorithm>

#include "framework/numbers.h"
#include "framework/time.h"
#include "protocol/module.h"
#include "protocol/packets.h"
#include "protocol/query_device.h"
#include "updater/app.h"
#include "updater/main_window.h"

namespace updater {

using framework::MemoryBlock;
using framework::Ref;

namespace {

int32_t BytesPerAddressInUse() { return HID::bytesPerAddress == 2 ? 2 : 1; }

}  // namespace

void mainWindow::Work4() {
  info().set_Text("Writing new firmware to device...");
  const Bound& bound = TheApp().bound();
  const DevicePath& path = bound.device;

  Ref<MemoryBlock> buffer = framework::NewMemoryBlock(HID::kPacketDataSize);
  buffer->set_LittleEndian(true);

  for (int32_t i = 0; i < HID::memoryRegionsDetected && i < int32_t(HID::MemoryRegions.size()); ++i) {
    const Ref<HID::MemoryRegion> region = HID::MemoryRegions[i];
    if (region->Type != HID::kConfigurationRegionType) {
      const int32_t bpa = BytesPerAddressInUse();
      const int32_t per_packet = (HID::BytesPerPacket / bpa) * bpa;
      MemoryBlock& image = *region->data;
      // Never past the image, whatever the region claims.
      const int64_t total = std::min<int64_t>(int64_t(region->Size) * bpa, image.Size());
      int64_t j = 0;
      while (j < total && per_packet > 0) {
        const int32_t start = static_cast<int32_t>(region->Address + j / bpa);
        bar().set_Value(framework::to_int32(double(j * 100) / double(total)));

        int32_t len = per_packet;
        for (int32_t l = 0; l < per_packet; ++l) {
          buffer->set_UInt8Value(HID::kPacketDataSize - per_packet + l, image.UInt8Value(j));
          ++j;
          if (j >= total) {
            len = l + 1;
            // Right-align the last, partial packet: copy from the top down and
            // clear everything below the data.
            for (int32_t m = 0; m < HID::kPacketDataSize; ++m) {
              const int32_t to = HID::kPacketDataSize - 1 - m;
              if (m < len) {
                buffer->set_UInt8Value(
                    to, buffer->UInt8Value(HID::kPacketDataSize - per_packet + len - 1 - m));
              } else {
                buffer->set_UInt8Value(to, 0);
              }
              framework::Yield();
            }
            break;
          }
          framework::Yield();
        }
        path.SendCommand(HID::GetProgramDeviceCommand(bound.hid, start, len, buffer->ToString()));
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
