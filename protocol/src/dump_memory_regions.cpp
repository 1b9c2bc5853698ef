#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "framework/time.h"
#include "protocol/module.h"
#include "protocol/packets.h"
#include "protocol/trace.h"
#include "trace_lines.h"

namespace HID {

void DumpMemoryRegions(const BoundMembers& bound) {
  InitLog(kMemoryLogName);
  // By index, and each region held while it is written: the background turns
  // run the event loop, whose handlers may add regions.
  for (size_t i = 0; i < MemoryRegions.size(); ++i) {
    const framework::Ref<MemoryRegion> region = MemoryRegions[i];
    const framework::Ref<framework::MemoryBlock> image = region->data;
    // The whole image as programming sends it: Size addresses of
    // bytesPerAddress bytes each. Size comes from the device; the lines stop
    // where the image ends.
    const int64_t perAddress = ImageBytesPerAddress(bytesPerAddress);
    const int64_t size = image ? std::min<int64_t>(region->Size * perAddress, image->Size()) : 0;
    // 64-bit steps, so that a region near the top of the 32-bit range ends.
    for (int64_t off = 0; off < size; off += kPacketDataSize) {
      const int64_t n = std::min<int64_t>(size - off, kPacketDataSize);
      // Each line at the device address of its first byte; it wraps as the
      // 32-bit address does.
      WriteDataLine(bound, static_cast<int32_t>(region->Address + off / perAddress), image->StringValue(off, n));
      framework::Yield();
    }
    framework::Yield();
  }
}

}  // namespace HID
