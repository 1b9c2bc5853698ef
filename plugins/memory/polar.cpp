// _ConvertPolarToCartesian and _ConvertCartesianToPolar: float pairs between
// (magnitude, angle in radians) and (x, y), in single precision. Each pair is
// read whole before its result is written, so a conversion may run in place.

#include <cmath>

#include "block_access.h"
#include "extension_routines.h"
#include "float_pairs.h"

namespace qvxmemory {
namespace {

// Pair i of `data` (from its first byte) gives pair i of the block from
// offsetByte; only pairs that lie inside both blocks are converted.
template <typename Convert>
void ConvertPairs(REALmemoryBlock block, int32_t offsetByte, int32_t z, REALmemoryBlock data, Convert convert) {
  if (block == nullptr) {
    RaiseNilBlock();
    return;
  }
  if (data == nullptr || z <= 0) return;
  BlockView to = ViewBlockOfAnySize(block);
  BlockView from = ViewBlockOfAnySize(data);
  const int64_t pairs = std::min(PairsInside(to, offsetByte, z), PairsInside(from, 0, z));
  for (int64_t i = 0; i < pairs; ++i) StorePair(to.bytes + offsetByte, i, convert(LoadPair(from.bytes, i)));
}

}  // namespace

void ConvertPolarToCartesian(REALmemoryBlock block, int32_t offsetByte, int32_t z, REALmemoryBlock polarData) {
  ConvertPairs(block, offsetByte, z, polarData, [](FloatPair polar) {
    const float r = polar.first;
    const float theta = polar.second;
    return FloatPair{std::cos(theta) * r, r * std::sin(theta)};
  });
}

void ConvertCartesianToPolar(REALmemoryBlock block, int32_t offsetByte, int32_t z, REALmemoryBlock cartesianData) {
  ConvertPairs(block, offsetByte, z, cartesianData, [](FloatPair cartesian) {
    const float x = cartesian.first;
    const float y = cartesian.second;
    return FloatPair{std::sqrt(x * x + y * y), std::atan2(y, x)};
  });
}

}  // namespace qvxmemory
