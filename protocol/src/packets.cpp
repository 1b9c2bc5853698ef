#include "protocol/packets.h"

#include "framework/text.h"

namespace HID {
namespace {

using framework::MemoryBlock;
using framework::Ref;

Ref<MemoryBlock> CommandPacket(uint8_t command) {
  Ref<MemoryBlock> packet = NewPacket();
  packet->set_UInt8Value(0, command);
  return packet;
}

void SetAddressAndCount(MemoryBlock& packet, int32_t address, int32_t size) {
  packet.set_UInt32Value(kPacketAddressOffset, static_cast<uint32_t>(address));
  packet.set_UInt8Value(kPacketCountOffset, static_cast<uint8_t>(size & 0xFF));
}

}  // namespace

Ref<MemoryBlock> NewPacket() {
  Ref<MemoryBlock> packet = framework::NewMemoryBlock(kPacketSize);
  packet->set_LittleEndian(true);
  return packet;
}

Ref<MemoryBlock> GetQueryDeviceCommand() { return CommandPacket(QUERY_DEVICE); }
Ref<MemoryBlock> GetEraseDeviceCommand() { return CommandPacket(ERASE_DEVICE); }
Ref<MemoryBlock> GetProgramCompleteCommand() { return CommandPacket(PROGRAM_COMPLETE); }

Ref<MemoryBlock> GetProgramDeviceCommand(const BoundMembers& bound, int32_t address, int32_t size,
                                         const framework::String& data) {
  Ref<MemoryBlock> packet = NewPacket();
  const int32_t length = framework::LenB(data);
  // Both checks only warn, and both come before the size test, so one call can
  // show both and still give nil.
  if (length < size) bound.ShowMessage("Data is too short");
  if (length != kPacketDataSize) bound.ShowMessage("Data is length is wrong");
  if (size > kPacketDataSize) return nullptr;
  packet->set_UInt8Value(0, PROGRAM_DEVICE);
  SetAddressAndCount(*packet, address, size);
  packet->set_StringValue(kPacketDataOffset, kPacketDataSize, data);
  return packet;
}

Ref<MemoryBlock> GetGetDataCommand(int32_t address, int32_t size) {
  Ref<MemoryBlock> packet = NewPacket();
  if (size > kPacketDataSize) return nullptr;
  packet->set_UInt8Value(0, GET_DATA);
  SetAddressAndCount(*packet, address, size);
  return packet;
}

}  // namespace HID
