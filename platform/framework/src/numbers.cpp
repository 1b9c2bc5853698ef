#include "framework/numbers.h"

#include <cmath>

namespace framework {

int32_t to_int32(double value) noexcept {
  // The range test also rejects NaN, which compares false with everything.
  if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int32_t>(value);
  return INT32_MIN;
}

}  // namespace framework
