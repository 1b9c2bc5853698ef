#pragma once
// How programming cuts a region's image into PROGRAM_DEVICE packets.
//
// A region's image holds Size x b bytes (b: 2 when bytesPerAddress is 2, else
// 1), and a packet carries only whole device addresses: BytesPerPacket rounded
// down to a multiple of b, at the device address of its first byte. The last
// packet of a region carries what is left.

#include <cstdint>
#include <vector>

#include "framework/memoryblock.h"
#include "framework/string.h"
#include "protocol/memory_region.h"

namespace HID {

// One PROGRAM_DEVICE packet's share of a region's image.
struct ProgramSlice {
  int32_t address = 0;  // device address of the first byte
  int64_t offset = 0;   // image offset of the first byte
  int32_t count = 0;    // bytes: BytesPerPacket rounded down, or what is left

  bool operator==(const ProgramSlice&) const = default;
};

// The packets of region in the order they are sent, covering Size x b bytes
// of image but never more than image holds, whatever the region claims. None
// when that is nothing or when bytes_per_packet holds no whole address. The
// address wraps at 32 bits. Throws framework::OutOfBoundsException when there
// is something to send and a packet would not fit the 58-byte data field
// (bytes_per_packet over 58, which step 1 refuses).
std::vector<ProgramSlice> ProgramSlices(const MemoryRegion& region, const framework::MemoryBlock& image,
                                        int32_t bytes_per_packet, int32_t bytes_per_address);

// The 58-byte data field of slice's packet: its bytes of image right-aligned,
// zero below, as GetProgramDeviceCommand takes it. Throws
// framework::OutOfBoundsException when the slice lies outside image.
framework::String ProgramDataField(const framework::MemoryBlock& image, const ProgramSlice& slice);

}  // namespace HID
