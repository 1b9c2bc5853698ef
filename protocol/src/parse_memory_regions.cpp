#include <cstdint>
#include <vector>

#include "framework/time.h"
#include "protocol/module.h"
#include "protocol/query_device.h"
#include "trace_lines.h"

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

}  // namespace

bool ParseMemoryRegions(const BoundMembers& bound, const MemoryBlock& reply) {
  const int64_t perAddress = ImageBytesPerAddress(bytesPerAddress);
  const int64_t replySize = reply.Size();
  struct Entry {
    int32_t type, address, size;
  };
  // Every entry is read and the images they need are summed before anything
  // is allocated: a device's word about its size is not taken for memory.
  std::vector<Entry> entries;
  int64_t imageBytes = 0;
  int32_t offset = kQueryReplyFirstEntryOffset;
  for (int32_t k = 0; k < kQueryReplyMaxEntries; ++k) {
    if (offset >= replySize) return false;
    const int32_t type = reply.UInt8Value(offset);
    if (type == kRegionListEnd) break;
    if (offset + kQueryReplyEntrySize > replySize) return false;
    const Entry entry{type, ReadLittleEndian32(reply, offset + 1), ReadLittleEndian32(reply, offset + 5)};
    offset += kQueryReplyEntrySize;
    if (entry.size < 0) return false;
    imageBytes += entry.size * perAddress + kImageSpareBytes;
    if (imageBytes > kMaxImageBytes) return false;
    entries.push_back(entry);
  }

  // Regions are listed only when the whole reply is usable, so that a refused
  // reply leaves the module data as it was.
  std::vector<Ref<MemoryRegion>> parsed;
  for (const Entry& entry : entries) {
    const int64_t filled = entry.size * perAddress;
    Ref<MemoryBlock> image = framework::NewMemoryBlock(static_cast<int32_t>(filled + kImageSpareBytes));
    if (!image) return false;
    bound.FillBytesQVX(*image, 0, static_cast<int32_t>(filled), 255);

    Ref<MemoryRegion> region = framework::make<MemoryRegion>();
    region->Type = entry.type;
    region->Address = entry.address;
    region->Size = entry.size;
    region->data = std::move(image);
    parsed.push_back(std::move(region));
    framework::Yield();
  }
  for (Ref<MemoryRegion>& region : parsed) MemoryRegions.push_back(std::move(region));
  memoryRegionsDetected = static_cast<int32_t>(MemoryRegions.size());
#if DiagnosticBuild
  TraceMemoryRegions();
#endif
  return true;
}

}  // namespace HID
