#pragma once
// Pairs of 32-bit floating-point numbers in a block: pair i is the 8 bytes at
// 8 * i from the table's start, the first number at the lower address, in the
// machine's byte order and without alignment.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "block_access.h"

namespace qvxmemory {

struct FloatPair {
  float first;
  float second;
};

inline FloatPair LoadPair(const unsigned char* table, int64_t i) {
  FloatPair pair;
  std::memcpy(&pair.first, table + 8 * i, 4);
  std::memcpy(&pair.second, table + 8 * i + 4, 4);
  return pair;
}

inline void StorePair(unsigned char* table, int64_t i, FloatPair pair) {
  std::memcpy(table + 8 * i, &pair.first, 4);
  std::memcpy(table + 8 * i + 4, &pair.second, 4);
}

// How many of `count` pairs from `offset` lie wholly inside the block: all of
// them on a block of unknown size; 0 for a negative offset or no bytes.
inline int64_t PairsInside(const BlockView& view, int64_t offset, int64_t count) {
  if (!view.available || offset < 0 || count <= 0) return 0;
  if (!view.SizeKnown()) return count;
  return std::clamp<int64_t>((view.size - offset) / 8, 0, count);
}

}  // namespace qvxmemory
