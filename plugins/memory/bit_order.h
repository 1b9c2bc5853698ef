#pragma once
// Bits of a block as these members number them: bit n lies in byte n / 8 and
// is bit 7 - n % 8 there, so bit 0 is the most significant bit of byte 0.

#include <array>
#include <cstdint>

namespace qvxmemory {

inline unsigned GetBit(const unsigned char* bytes, int64_t n) { return (bytes[n >> 3] >> (7 - (n & 7))) & 1u; }

inline void SetBit(unsigned char* bytes, int64_t n, unsigned value) {
  const auto mask = static_cast<unsigned char>(0x80u >> (n & 7));
  bytes[n >> 3] = static_cast<unsigned char>(value != 0 ? bytes[n >> 3] | mask : bytes[n >> 3] & ~mask);
}

// Entry i is i with the order of its eight bits reversed.
inline constexpr std::array<unsigned char, 256> kBitReversal = [] {
  std::array<unsigned char, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned reversed = 0;
    for (unsigned bit = 0; bit < 8; ++bit) reversed |= ((i >> bit) & 1u) << (7 - bit);
    table[i] = static_cast<unsigned char>(reversed);
  }
  return table;
}();

}  // namespace qvxmemory
