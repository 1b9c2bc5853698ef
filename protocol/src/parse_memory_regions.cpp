#include <cstdint>
#include <limits>
#include <vector>

#include "framework/time.h"
#include "protocol/fill_bytes.h"
#include "protocol/module.h"
#include "protocol/query_device.h"

namespace HID {
namespace {

using framework::MemoryBlock;
using framework::Ref;

// The reply's fields are little-endian whatever the block's byte order says.
int32_t ReadLittleEndian32(const MemoryBlock& reply, int32_t offset) {
  uint32_t value = 0;
  for (int32_t i = 3; i >= 0; --i) value = (value << 8) | reply.UInt8Value(offset + i);
  return static_cast<int32_t>(value);
}

// Bytes of image per device address. Families 1 and 3, and a device whose
// family is not known yet, keep one byte per address, so that every image holds
// at least the Size bytes that programming sends.
int64_t ImageBytesPerAddress() { return bytesPerAddress == 2 ? 2 : 1; }

}  // namespace

bool ParseMemoryRegions(const MemoryBlock& reply) {
  const int64_t perAddress = ImageBytesPerAddress();
  const int64_t replySize = reply.Size();
  // Regions are collected first and listed only when the whole reply is
  // usable, so that a refused reply leaves the module data as it was.
  std::vector<Ref<MemoryRegion>> parsed;
  int32_t offset = kQueryReplyFirstEntryOffset;
  for (int32_t k = 0; k < kQueryReplyMaxEntries; ++k) {
    if (offset >= replySize) return false;
    const int32_t type = reply.UInt8Value(offset);
    if (type == kRegionListEnd) break;
    if (offset + kQueryReplyEntrySize > replySize) return false;
    const int32_t address = ReadLittleEndian32(reply, offset + 1);
    const int32_t size = ReadLittleEndian32(reply, offset + 5);
    offset += kQueryReplyEntrySize;

    if (size < 0) return false;
    const int64_t filled = size * perAddress;
    const int64_t imageSize = filled + 10;
    if (imageSize > std::numeric_limits<int32_t>::max()) return false;
    Ref<MemoryBlock> image = framework::NewMemoryBlock(static_cast<int32_t>(imageSize));
    if (!image) return false;
    FillBytesQVX(*image, 0, static_cast<int32_t>(filled), 255);

    Ref<MemoryRegion> region = framework::make<MemoryRegion>();
    region->Type = type;
    region->Address = address;
    region->Size = size;
    region->data = std::move(image);
    parsed.push_back(std::move(region));
    framework::Yield();
  }
  for (Ref<MemoryRegion>& region : parsed) MemoryRegions.push_back(std::move(region));
  memoryRegionsDetected = static_cast<int32_t>(MemoryRegions.size());
  return true;
}

}  // namespace HID
