#pragma once
// The comparison of one GET_DATA answer with a region image, as verification
// (step 7) makes it for the one request in flight.
//
// The answer counts only when it is a whole 64-byte report that names the
// requested address and byte count; anything else is a counted mismatch at the
// requested address. Then answer byte j (right-aligned, ending at byte 63) is
// compared with image byte (address - Address) x bytesPerAddress + j. A
// mismatching byte is decided by the first rule that fits:
//   bytesPerAddress 2 and (j + 1) mod 4 = 0   ignored
//   bytesPerAddress 2 and address 0x1400       "Error1", not counted
//   bytesPerAddress 2 and address 0            "Error2", not counted
//   otherwise                                  a counted mismatch at address + j
// The first counted mismatch of a verification shows
// "Verification failed on address " + hex6; later ones are only counted.
// Nothing is read outside the report or the image.

#include <cstdint>
#include <functional>

#include "framework/memoryblock.h"
#include "framework/text.h"
#include "protocol/memory_region.h"

namespace updater {

// One request in flight: its device address and byte count.
struct GetDataRequest {
  int32_t address = 0;
  int32_t count = 0;
};

// What a verification has found so far; spans all regions.
struct VerifyState {
  bool failed = false;    // a counted mismatch
  bool reported = false;  // its message has been shown
  bool silent = false;    // an answer did not come: the device is gone or stuck
};

// Compares `report` as the answer to `request` in `region`, with
// `bytesPerAddress` 1 or 2. Every message goes to `show`, which returns when
// the user has dismissed it; `yield` runs after every byte compared.
void CompareAnswer(const framework::MemoryBlock& report, GetDataRequest request, const HID::MemoryRegion& region,
                   int32_t bytesPerAddress, VerifyState& state,
                   const std::function<void(const framework::String&)>& show, const std::function<void()>& yield = {});

}  // namespace updater
