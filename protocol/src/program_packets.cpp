#include "protocol/program_packets.h"

#include <algorithm>

#include "framework/exceptions.h"
#include "protocol/packets.h"

namespace HID {

std::vector<ProgramSlice> ProgramSlices(const MemoryRegion& region, const framework::MemoryBlock& image,
                                        int32_t bytes_per_packet, int32_t bytes_per_address) {
  const int32_t b = ImageBytesPerAddress(bytes_per_address);
  const int32_t per_packet = (bytes_per_packet / b) * b;
  const int64_t total = std::min<int64_t>(int64_t(region.Size) * b, image.Size());
  std::vector<ProgramSlice> slices;
  if (total <= 0 || per_packet <= 0) return slices;
  if (per_packet > kPacketDataSize) throw framework::OutOfBoundsException();
  slices.reserve(static_cast<size_t>((total + per_packet - 1) / per_packet));
  for (int64_t j = 0; j < total; j += per_packet) {
    slices.push_back({static_cast<int32_t>(region.Address + j / b), j,
                      static_cast<int32_t>(std::min<int64_t>(per_packet, total - j))});
  }
  return slices;
}

framework::String ProgramDataField(const framework::MemoryBlock& image, const ProgramSlice& slice) {
  framework::Ref<framework::MemoryBlock> field = framework::NewMemoryBlock(kPacketDataSize);
  for (int32_t k = 0; k < slice.count; ++k) {
    field->set_UInt8Value(kPacketDataSize - slice.count + k, image.UInt8Value(slice.offset + k));
  }
  return field->ToString();
}

}  // namespace HID
