#pragma once
// The debug trace of diagnostic builds, and its log file.
//
// The library is built twice from the same sources: `protocol` with
// DiagnosticBuild=0 (shipped) and `protocol_diag` with DiagnosticBuild=1. Only
// the diagnostic build traces: InitLog opens a file there and nowhere else,
// and ParseMemoryRegions reports the regions it has read; the device link's
// twins call DebugSendCommand and DebugReadCommand likewise.
//
// Two outputs:
//   the system debug log (System.DebugLog), one text per line;
//   the log file `logfile`, whose every line is
//     "Address: " + hex6(address) + " " + bound.EncodingToHexQVX(data bytes)
//   and which is skipped silently while `logfile` is nil.
//
// The trace changes nothing in the packets, shows no messages and raises
// nothing for a packet of any size: bytes that a block does not hold read as
// 0, and data are cut at the block's end.

#include <cstdint>

#include "framework/memoryblock.h"
#include "framework/string.h"
#include "protocol/bound.h"

namespace HID {

// The file names given to InitLog: "Memory.txt" by DumpMemoryRegions, "Debug"
// by the service console.
inline constexpr const char* kMemoryLogName = "Memory.txt";
inline constexpr const char* kConsoleLogName = "Debug";

// By byte 0 of the packet, one line to the system debug log:
//   0x02 "Sending QUERY_DEVICE."      0x04 "Sending ERASE_DEVICE."
//   0x06 "Sending PROGRAM_COMPLETE."  0x08 "Sending RESET_DEVICE."
//   0x07 "Sending GET_DATA. Address: " + Hex of the address (signed 32-bit)
//   any other code but 0x05: "Sending " + Hex of the code.
// PROGRAM_DEVICE (0x05) goes to the log file instead: its address and the
// count (byte 5) bytes from byte 6.
void DebugSendCommand(const BoundMembers& bound, const framework::MemoryBlock& packet);

// A GET_DATA answer (byte 0 is 0x07) goes to the log file: its address and
// the count (byte 5) bytes from byte 6. Any other answer: nothing.
void DebugReadCommand(const BoundMembers& bound, const framework::MemoryBlock& reply);

// Diagnostic build: creates the text file `name` in the application's folder
// and makes it `logfile`, releasing the one before. When the file cannot be
// created, `logfile` becomes nil and the trace writes no file lines until the
// next InitLog opens one. Shipped build: does nothing.
void InitLog(const framework::String& name);

// InitLog("Memory.txt"), then every region image of MemoryRegions in lines of
// at most 58 bytes: for each region its first Size image bytes, at the
// addresses Address, Address + 58, ... Yields to the framework's background
// tasks after each line and after each region.
void DumpMemoryRegions(const BoundMembers& bound);

}  // namespace HID
