#pragma once
// Two small text helpers of module HID.

#include <cstdint>

#include "framework/string.h"

namespace HID {

// The value of s read as a hexadecimal number, as Val reads "&h" followed by s,
// converted to a 32-bit integer by the framework's conversion. Callers pass
// runs of two or four hex digits cut from an Intel HEX line; digits that are
// not there read as nothing (an empty s is 0).
int32_t StringToHex(const framework::String& s);

// Hex(n) with "0" put in front until it is six characters long; a longer text
// is returned unchanged. Yields to the framework's background tasks after each
// digit it adds.
framework::String hex6(int32_t n);

}  // namespace HID
