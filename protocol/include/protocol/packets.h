#pragma once
// The bootloader packet: a 64-byte memory block, little-endian, that carries
// every command and every answer.
//
//   offset 0      command code (an answer repeats the code it answers)
//   offset 1..4   address, unsigned 32-bit, in device address units
//   offset 5      count of data bytes, 0 to 58
//   offset 6..63  the data field
//
// Each builder returns a new packet that the caller owns, or nil. A nil packet
// must not be handed to SendCommand.

#include <cstdint>

#include "framework/memoryblock.h"
#include "framework/string.h"
#include "protocol/bound.h"

namespace HID {

inline constexpr int32_t kPacketSize = 64;
inline constexpr int32_t kPacketAddressOffset = 1;
inline constexpr int32_t kPacketCountOffset = 5;
inline constexpr int32_t kPacketDataOffset = 6;
inline constexpr int32_t kPacketDataSize = 58;

// Command codes. RESET_DEVICE is never sent; it occurs only in the debug trace.
inline constexpr uint8_t QUERY_DEVICE = 0x02;
inline constexpr uint8_t ERASE_DEVICE = 0x04;
inline constexpr uint8_t PROGRAM_DEVICE = 0x05;
inline constexpr uint8_t PROGRAM_COMPLETE = 0x06;
inline constexpr uint8_t GET_DATA = 0x07;
inline constexpr uint8_t RESET_DEVICE = 0x08;

// The answer to GET_DATA: command 0x07, the address of the first data byte at
// 1..4, the count n at 5, and the n data bytes right-aligned so that the last
// one is byte 63: data byte j is at GetDataReplyDataOffset(n) + j. Bytes 6 to
// 63 - n are not part of the answer when n < 58.
inline constexpr int32_t GetDataReplyDataOffset(int32_t count) { return kPacketSize - count; }

// 64 zero bytes with LittleEndian set.
framework::Ref<framework::MemoryBlock> NewPacket();

// Byte 0 = 0x02, 0x04 or 0x06; every other byte 0.
framework::Ref<framework::MemoryBlock> GetQueryDeviceCommand();
framework::Ref<framework::MemoryBlock> GetEraseDeviceCommand();
framework::Ref<framework::MemoryBlock> GetProgramCompleteCommand();

// PROGRAM_DEVICE for `size` bytes at `address`, with the 58-byte `data` copied
// to bytes 6..63 unchanged (callers put the size bytes right-aligned). Shows
// (bound.ShowMessage) "Data is too short" when data has fewer than `size`
// bytes and then "Data is length is wrong" when it is not 58 bytes long; both
// only warn. A shorter data is written with the rest of the field zero, a
// longer one is cut at 58.
// Nil when size is greater than 58, after the warnings. Byte 5 is size And &hFF;
// the address is written as the bit pattern of the 32-bit argument.
framework::Ref<framework::MemoryBlock> GetProgramDeviceCommand(const BoundMembers& bound, int32_t address, int32_t size,
                                                               const framework::String& data);

// GET_DATA for `size` bytes at `address`; nil, silently, when size is greater
// than 58. Neither builder checks a lower bound or BytesPerPacket.
framework::Ref<framework::MemoryBlock> GetGetDataCommand(int32_t address, int32_t size);

}  // namespace HID
