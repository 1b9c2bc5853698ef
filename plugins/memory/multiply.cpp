// MultiplyUInt8QVX and MultiplyUInt16QVX: unsigned elements scaled by a
// factor, the product formed in double and truncated toward zero, saturating
// at the element's maximum.

#include <cstring>
#include <limits>

#include "extension_routines.h"
#include "numeric_range.h"

namespace qvxmemory {
namespace {

// A product that no element can hold is taken to the nearest one the element
// can: the maximum above, 0 below. A negative product (a negative factor)
// or not-a-number would otherwise be converted out of range.
template <typename Element>
Element Scaled(double value, double factor) {
  constexpr Element kMax = std::numeric_limits<Element>::max();
  const double product = value * factor;
  if (product >= kMax) return kMax;
  if (!(product > 0.0)) return 0;
  return static_cast<Element>(product);
}

}  // namespace

void MultiplyUInt8QVX(REALmemoryBlock block, double factor, int32_t offsetByte, int32_t lengthBytes) {
  NumericRange range(block, offsetByte, lengthBytes);
  if (!range.started()) return;
  unsigned char table[256];
  double v = 0.0;
  for (int i = 0; i < 256; ++i, v += 1.0) table[i] = Scaled<unsigned char>(v, factor);
  unsigned char* p = range.bytes();
  for (int64_t i = 0; i < range.length(); ++i) p[i] = table[p[i]];
}

void MultiplyUInt16QVX(REALmemoryBlock block, double factor, int32_t offsetByte, int32_t lengthBytes) {
  NumericRange range(block, offsetByte, lengthBytes);
  if (!range.started()) return;
  // Elements in the machine's byte order, without alignment; a last odd byte stays.
  unsigned char* p = range.bytes();
  for (int64_t i = 0; i + 2 <= range.length(); i += 2) {
    uint16_t w;
    std::memcpy(&w, p + i, 2);
    w = Scaled<uint16_t>(w, factor);
    std::memcpy(p + i, &w, 2);
  }
}

}  // namespace qvxmemory
