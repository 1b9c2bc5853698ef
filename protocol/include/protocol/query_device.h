#pragma once
// The answer to QUERY_DEVICE, the family table and the memory regions.
//
// QueryDeviceReply (a 64-byte packet, little-endian):
//   byte 0          0x02, the code of QUERY_DEVICE
//   byte 1          BytesPerPacket: data bytes per PROGRAM_DEVICE and GET_DATA
//   byte 2          DeviceFamily
//   bytes 3 + 9k    type of region entry k (k = 0..5); 0xFF ends the list
//   bytes 4 + 9k    its address, signed 32-bit, in device address units
//   bytes 8 + 9k    its size, signed 32-bit, in device address units
//   bytes 57..63    not read

#include <cstdint>
#include <optional>

#include "framework/memoryblock.h"
#include "protocol/bound.h"
#include "protocol/memory_region.h"

namespace HID {

inline constexpr int32_t kQueryReplyBytesPerPacketOffset = 1;
inline constexpr int32_t kQueryReplyDeviceFamilyOffset = 2;
inline constexpr int32_t kQueryReplyFirstEntryOffset = 3;
inline constexpr int32_t kQueryReplyEntrySize = 9;
inline constexpr int32_t kQueryReplyMaxEntries = 6;
inline constexpr int32_t kRegionListEnd = 0xFF;
// The zero bytes after each region image's Size x b filled bytes.
inline constexpr int64_t kImageSpareBytes = 10;
// The most image bytes, spare bytes included, that the regions of one reply may
// need in all; no device of these families comes near it.
inline constexpr int64_t kMaxImageBytes = int64_t{64} << 20;
// The region type that programming and verification skip.
inline constexpr int32_t kConfigurationRegionType = 3;

// A region that programming writes: of any type but configuration, and not empty.
inline bool IsProgrammableRegion(const MemoryRegion& region) {
  return region.Type != kConfigurationRegionType && region.Size > 0;
}

// The family table: bytes per device address of families 1, 2 and 3 (1, 2, 1);
// nothing for any other family.
std::optional<int32_t> BytesPerAddressOfFamily(int32_t family);

enum class QueryEvaluation {
  Known,          // byte 0 is 0x02 and the family is in the table
  UnknownFamily,  // byte 0 is 0x02, the family is not in the table
  WrongAnswer,    // byte 0 is not 0x02; nothing was set
  TooShort,       // the reply cannot hold the fields; nothing was set
};

// The evaluation that both callers make before ParseMemoryRegions: with byte 0
// equal to 0x02, BytesPerPacket = byte 1, DeviceFamily = byte 2 and, for a
// family in the table, bytesPerAddress from it (an unknown family leaves
// bytesPerAddress as it was). Each caller shows its own messages.
QueryEvaluation EvaluateQueryDeviceReply(const framework::MemoryBlock& reply);

// Appends one MemoryRegion per region entry of a QUERY_DEVICE reply to
// MemoryRegions, up to the end mark or six entries, and sets
// memoryRegionsDetected to the number of regions now listed (those of earlier
// calls included). Each image gets Size x b + 10 bytes, b being 2 when
// bytesPerAddress is 2 and 1 otherwise, of which the first Size x b are filled
// with 0xFF through bound.FillBytesQVX (a Size of 0 fills the whole 10 bytes).
//
// Returns false, and changes neither MemoryRegions nor memoryRegionsDetected,
// when the reply is unusable: an entry with a negative Size, regions whose
// images need more than kMaxImageBytes in all (refused before any image is
// allocated), an image that cannot be allocated, or an entry that lies past
// the end of a reply shorter than 64 bytes. The caller refuses such a
// reply with a message of its own.
//
// The caller has checked that byte 0 is 0x02. Yields to the framework's
// background tasks after each entry. A diagnostic build then writes to the
// system debug log the number of regions listed + " MemoryRegions" and, for
// every region listed, Type + " " + Hex(Address) + " " + Size (decimal), with
// a yield after each; a refused reply writes nothing.
[[nodiscard]] bool ParseMemoryRegions(const BoundMembers& bound, const framework::MemoryBlock& reply);

}  // namespace HID
