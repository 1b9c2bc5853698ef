// The picture decoder of the package's file. Whatever a header claims, it
// asks for room once and never for more than its budget, fills the room with
// opaque pixels, and decodes from a file what it decodes in memory.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "jpegicc/jpegicc.h"

namespace {

// What a decode gave. Only a digest of the pixels is kept, so that one
// picture at a time is held, as in the program.
struct Decoded {
  bool ok = false;
  int width = 0;
  int height = 0;
  uint64_t digest = 0;
  bool operator==(const Decoded&) const = default;
};

template <typename Decode>
Decoded Run(Decode&& decode) {
  Decoded out;
  std::vector<uint32_t> pixels;
  int asked = 0;
  const jpegicc::PixelTarget target = [&](int width, int height) {
    if (++asked > 1) __builtin_trap();
    if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) * 4 > jpegicc::kMaxDecodeBytes)
      __builtin_trap();
    out.width = width;
    out.height = height;
    pixels.assign(size_t(width) * size_t(height), 0);
    return pixels.data();
  };
  try {
    decode(target);
    out.ok = true;
  } catch (const jpegicc::Error&) {
    return Decoded{};
  }
  if (asked != 1) __builtin_trap();
  out.digest = 14695981039346656037u;
  for (const uint32_t p : pixels) {
    if (p >> 24 != 0xFF) __builtin_trap();
    out.digest = (out.digest ^ p) * 1099511628211u;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> jpeg(data, size);
  const Decoded in_memory = Run([&](const jpegicc::PixelTarget& target) { jpegicc::decode_argb(jpeg, target); });

  std::vector<uint8_t> copy(data, data + size);
  copy.push_back(0);  // fmemopen wants a buffer even for no bytes
  std::FILE* file = fmemopen(copy.data(), size, "rb");
  if (file == nullptr) return 0;
  const Decoded from_file = Run([&](const jpegicc::PixelTarget& target) { jpegicc::decode_argb_file(file, target); });
  std::fclose(file);
  // An empty file fails either way, with its own reason.
  if (!(from_file == in_memory)) __builtin_trap();
  return 0;
}
