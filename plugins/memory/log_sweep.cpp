// _CalcLogSweepTableQVX: the samples of a logarithmic sine sweep as a table of
// float pairs (amplitude, time scaled by 16 turns). The arithmetic mixes
// double and float exactly as the table's users expect it.

#include <cmath>

#include "block_access.h"
#include "extension_routines.h"
#include "float_pairs.h"

namespace qvxmemory {

void CalcLogSweepTable(REALmemoryBlock block, int32_t offsetByte, int32_t z, int32_t lw1, int32_t lw2, double t) {
  if (block == nullptr) {
    RaiseNilBlock();
    return;
  }
  const double l = std::log(static_cast<double>(lw2) / lw1);
  const double k = lw1 * 6.28318530718 / l;
  if (z <= 0) return;

  // Only the pairs that fit a block of known size are written.
  BlockView view = ViewBlockOfAnySize(block);
  const int64_t pairs = PairsInside(view, offsetByte, z);
  if (pairs <= 0) return;
  unsigned char* table = view.bytes + offsetByte;

  double i = 0.0;
  for (int64_t n = 0; n < pairs; ++n, i += 1.0) {
    const double time = i / t;
    const float e = std::exp(static_cast<float>(l * time));
    const float a = e - 1.0f;
    const float s = std::sin(static_cast<float>(static_cast<double>(a) * k));
    StorePair(table, n, FloatPair{s * 0.944f, static_cast<float>(time * 100.53096491488)});
  }
}

}  // namespace qvxmemory
