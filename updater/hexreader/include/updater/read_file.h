#pragma once
// The Intel HEX reader of the update window (mainWindow.ReadFile): turns the
// firmware text in HID::datafile into bytes in the region images of
// HID::MemoryRegions. Step 2 of the update calls it once, after step 1 has
// read the device information and the regions.
//
// Text: marked as ASCII (bytes unchanged) and stored back into HID::datafile;
// split at CR LF; each piece trimmed; a record is a line that begins with ":"
// (count, 16-bit address, type, data, checksum, each two hex digits a byte;
// text after the checksum is ignored). Record types 00 (data), 01 (end of
// file) and 04 (extended address: its whole data field, times 0x10000, is
// added to the address of every later data record). These record rules are
// updater/hex_records.h, which the package maker checks the firmware with.
//
// Placement, with b = HID::bytesPerAddress: a data record whose first byte
// address E lies in [Address x b, (Address + Size) x b) of a region is written
// into that region's image from offset E - Address x b, byte by byte, into
// every region that holds E (regions 0 to HID::memoryRegionsDetected - 1,
// whatever their type). A record that starts below a region and runs into it
// writes its bytes from the region's first byte on. Byte addresses and offsets
// are taken modulo 2^32, so a region may end at or cross 0x80000000. A byte at
// offset p >= limit = (Size + 1) x b is not written: "Warning: p=<p> over
// limit=<limit>" is shown and the rest of the record is dropped for that
// region. The limit never passes the image's end; an image smaller than it
// (one made for another bytesPerAddress) is its own limit. A record that lies
// wholly outside every region is skipped silently.
//
// Messages (through members.ShowMessage; each ends the reading with false):
//   "Invalid file format."                          a line not beginning with ":"
//   "Checksum Error: <expected> <> <found>"         checked before the type
//   "Invalid file format." EOL EOL "recordType=<t>" any type but 00, 01, 04
// The lines running out without an end record give false without a message.
//
// Yields to the framework's background tasks after every byte added to a
// checksum, every byte stored, every region examined and every line.

#include <cstdint>

#include "protocol/bound.h"

namespace updater {

// True when an end-of-file record is reached and every record before it was
// accepted; false in every other case (the caller then quits). When given,
// `programmable` is set to the number of bytes stored in the part of an image
// that programming sends (the first Size x b bytes of a region of any type but
// configuration), a byte counted once for each region it went into.
bool ReadFile(const HID::BoundMembers& members, int64_t* programmable = nullptr);

}  // namespace updater
