#pragma once
// MemoryRegion: one memory region of the device, as the QUERY_DEVICE reply
// lists it, with the image that the firmware is read into.

#include <cstdint>

#include "framework/memoryblock.h"
#include "framework/object.h"

namespace HID {

// A plain record. Instances are made only by ParseMemoryRegions and owned by
// MemoryRegions; releasing one releases its image.
class MemoryRegion : public framework::Object {
 public:
  static const framework::ClassRecord& class_record();

  // Length of the region in device address units.
  int32_t Size = 0;
  // First device address of the region.
  int32_t Address = 0;
  // The region's type byte (0 to 254); 3 is configuration memory.
  int32_t Type = 0;
  // The region image: Size x b + 10 bytes (b: 2 when bytesPerAddress is 2,
  // else 1), the first Size x b bytes 0xFF to start with, the last 10 zero.
  // Address unit a is image byte (a - Address) x bytesPerAddress.
  framework::Ref<framework::MemoryBlock> data;
};

// The b above: image bytes per device address, 2 when `bytes_per_address`
// (the module's bytesPerAddress) is 2, else 1. Families 1 and 3, and a device
// whose family is not known yet, keep one byte per address, so that every
// image holds at least the Size bytes that programming sends.
inline int32_t ImageBytesPerAddress(int32_t bytes_per_address) { return bytes_per_address == 2 ? 2 : 1; }

}  // namespace HID
