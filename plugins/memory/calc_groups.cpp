// _Calc3te and _Calc2te: groups of four bytes from the range's first byte.
// A group that starts inside the range is taken whole, even past the range's
// end, but never past the end of a block of known size.

#include <cmath>

#include "extension_routines.h"
#include "numeric_range.h"

namespace qvxmemory {
namespace {

template <typename Visit>
void ForEachGroup(const NumericRange& range, Visit visit) {
  for (int64_t g = 0; g < range.length() && g <= range.room() - 4; g += 4) visit(range.bytes() + g);
}

}  // namespace

void Calc3te(REALmemoryBlock block, int32_t source1, int32_t source2, int32_t source3, int32_t source4, int32_t dest1,
             int32_t dest2, int32_t dest3, int32_t dest4, double tolerance, int32_t offsetByte, int32_t length) {
  NumericRange range(block, offsetByte, length);
  if (!range.started()) return;

  // Bounds stay doubles: one beyond the 32-bit range still compares by its value.
  const int32_t sources[4] = {source1, source2, source3, source4};
  double low[4];
  double high[4];
  for (int i = 0; i < 4; ++i) {
    low[i] = std::trunc(sources[i] * (1.0 - tolerance));
    high[i] = std::trunc(sources[i] * (1.0 + tolerance));
  }
  const unsigned char dests[4] = {static_cast<unsigned char>(dest1), static_cast<unsigned char>(dest2),
                                  static_cast<unsigned char>(dest3), static_cast<unsigned char>(dest4)};

  ForEachGroup(range, [&](unsigned char* group) {
    for (int i = 0; i < 4; ++i) {
      if (!(low[i] <= group[i] && group[i] <= high[i])) return;
    }
    for (int i = 0; i < 4; ++i) group[i] = dests[i];
  });
}

void Calc2te(REALmemoryBlock block, int32_t iByteMax, int32_t offsetByte, int32_t length, REALboolean withSum0) {
  NumericRange range(block, offsetByte, length);
  if (!range.started()) return;

  ForEachGroup(range, [&](unsigned char* group) {
    const int32_t sum = group[0] + group[1] + group[2];
    if (sum >= iByteMax || (sum == 0 && withSum0 != 0)) {
      group[3] = 0;
    } else {
      // sum < iByteMax here, so the difference is above 0 and cannot overflow.
      const int32_t rest = iByteMax - sum;
      group[3] = static_cast<unsigned char>(rest > 255 ? 255 : rest);
    }
  });
}

}  // namespace qvxmemory
