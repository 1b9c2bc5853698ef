#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "framework/system.h"
#include "framework/text.h"
#include "framework/time.h"
#include "protocol/module.h"
#include "protocol/packets.h"
#include "protocol/trace.h"
#include "trace_lines.h"

namespace HID {
namespace {

using framework::MemoryBlock;
using framework::String;

// The trace reads a block of any size: a byte it does not hold reads as 0.
uint8_t ByteAt(const MemoryBlock& block, int32_t offset) {
  return offset < block.Size() ? block.UInt8Value(offset) : 0;
}

// The address field, little-endian whatever the block's byte order says, read
// as a signed number.
int32_t AddressOf(const MemoryBlock& block) {
  uint32_t value = 0;
  for (int32_t i = 3; i >= 0; --i) value = (value << 8) | ByteAt(block, kPacketAddressOffset + i);
  return static_cast<int32_t>(value);
}

// The count (byte 5) bytes from byte 6, as far as the block reaches: a count
// byte above 58 or a short block must not read past the end.
String DataOf(const MemoryBlock& block) {
  const int32_t held = std::max(0, block.Size() - kPacketDataOffset);
  const int32_t n = std::min<int32_t>(ByteAt(block, kPacketCountOffset), held);
  return n > 0 ? block.StringValue(kPacketDataOffset, n) : String();
}

void Log(const String& line) { framework::System::DebugLog(line); }

}  // namespace

void DebugSendCommand(const BoundMembers& bound, const MemoryBlock& packet) {
  const uint8_t code = ByteAt(packet, 0);
  switch (code) {
    case QUERY_DEVICE:
      Log("Sending QUERY_DEVICE.");
      break;
    case ERASE_DEVICE:
      Log("Sending ERASE_DEVICE.");
      break;
    case PROGRAM_DEVICE:
      WriteDataLine(bound, AddressOf(packet), DataOf(packet));
      break;
    case PROGRAM_COMPLETE:
      Log("Sending PROGRAM_COMPLETE.");
      break;
    case GET_DATA:
      Log(String("Sending GET_DATA. Address: ") + framework::Hex(AddressOf(packet)));
      break;
    case RESET_DEVICE:
      Log("Sending RESET_DEVICE.");
      break;
    default:
      Log(String("Sending ") + framework::Hex(code));
      break;
  }
}

void DebugReadCommand(const BoundMembers& bound, const MemoryBlock& reply) {
  if (ByteAt(reply, 0) == GET_DATA) WriteDataLine(bound, AddressOf(reply), DataOf(reply));
}

void TraceMemoryRegions() {
  Log(framework::Str(MemoryRegions.size()) + String(" MemoryRegions"));
  // By index: the background turns run the event loop, whose handlers may
  // add regions.
  for (size_t i = 0; i < MemoryRegions.size(); ++i) {
    const framework::Ref<MemoryRegion> region = MemoryRegions[i];
    Log(framework::Str(region->Type) + String(" ") + framework::Hex(region->Address) + String(" ") +
        framework::Str(region->Size));
    framework::Yield();
  }
}

}  // namespace HID
