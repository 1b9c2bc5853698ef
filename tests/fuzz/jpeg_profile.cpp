// The ICC profile reader of a JPEG file: the package's way into the program.
// A profile it returns is whole and never longer than 255 chunks.
#include <cstddef>
#include <cstdint>

#include "jpegicc/jpegicc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const jpegicc::Bytes profile = jpegicc::read_icc_profile(std::span<const uint8_t>(data, size));
  if (profile.size() > jpegicc::kMaxProfileBytes) __builtin_trap();
  return 0;
}
