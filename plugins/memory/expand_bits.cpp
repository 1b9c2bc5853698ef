// ExpandBitsQVX: every bit of the block's first bytes becomes a whole byte of
// another block, HighValue for a 1 and LowValue for a 0, most significant bit
// first.

#include <array>
#include <bit>
#include <cstring>

#include "block_access.h"
#include "extension_routines.h"

namespace qvxmemory {
namespace {

// Entry v: eight bytes in memory order, byte k 0xFF when bit 7 - k of v is 1.
constexpr std::array<uint64_t, 256> kByteMasks = [] {
  std::array<uint64_t, 256> table{};
  for (unsigned v = 0; v < 256; ++v) {
    std::array<unsigned char, 8> bytes{};
    for (unsigned k = 0; k < 8; ++k) bytes[k] = ((v >> (7 - k)) & 1u) != 0 ? 0xFF : 0x00;
    table[v] = std::bit_cast<uint64_t>(bytes);
  }
  return table;
}();

constexpr uint64_t kEveryByte = 0x0101010101010101ull;

}  // namespace

REALboolean ExpandBitsQVX(REALmemoryBlock block, REALmemoryBlock dest, int32_t sourceByteCount, int32_t lowValue,
                          int32_t highValue) {
  if (sourceByteCount < 1 || block == nullptr || dest == nullptr) return 0;
  BlockView from = ViewBlockOfAnySize(block);
  BlockView to = ViewBlockOfAnySize(dest);
  if (!from.available || !to.available) return 0;

  // Whole groups of four source bytes, 32 destination bytes each; both must
  // lie inside their blocks.
  const int64_t groups = (int64_t{sourceByteCount} + 3) / 4;
  if (!RangeInside(from, 0, groups * 4) || !RangeInside(to, 0, groups * 32)) return 0;

  // Each value is written as one byte: its low eight bits.
  const uint64_t high = kEveryByte * static_cast<unsigned char>(highValue);
  const uint64_t low = kEveryByte * static_cast<unsigned char>(lowValue);
  for (int64_t j = 0; j < groups * 4; ++j) {
    const uint64_t mask = kByteMasks[from.bytes[j]];
    const uint64_t eight = (high & mask) | (low & ~mask);
    std::memcpy(to.bytes + 8 * j, &eight, 8);
  }
  return 1;
}

}  // namespace qvxmemory
