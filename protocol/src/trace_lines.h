#pragma once
// What the trace's parts share inside the library.

#include <cstdint>

#include "framework/string.h"
#include "protocol/bound.h"

namespace HID {

// "Address: " + hex6(address) + " " + bound.EncodingToHexQVX(data) to logfile;
// nothing while logfile is nil.
void WriteDataLine(const BoundMembers& bound, int32_t address, const framework::String& data);

// The count line and one line per region of MemoryRegions, to the system
// debug log; ParseMemoryRegions writes them in a diagnostic build.
void TraceMemoryRegions();

}  // namespace HID
