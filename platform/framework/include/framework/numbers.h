#pragma once
// Number conversions.

#include <cstdint>

namespace framework {

// Double to signed 32-bit integer: truncates toward zero. NaN and values whose
// truncation lies outside -2147483648..2147483647 give -2147483648; the result
// is always defined.
int32_t to_int32(double value) noexcept;

}  // namespace framework
