// The ICC profile reader of a JPEG file: the package's way into the program.
// A profile it returns is whole and never longer than 255 chunks, and read
// from a file it is the one read from the same bytes in memory.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "jpegicc/jpegicc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const jpegicc::Bytes profile = jpegicc::read_icc_profile(std::span<const uint8_t>(data, size));
  if (profile.size() > jpegicc::kMaxProfileBytes) __builtin_trap();

  std::vector<uint8_t> copy(data, data + size);
  copy.push_back(0);  // fmemopen wants a buffer even for no bytes
  std::FILE* file = fmemopen(copy.data(), size, "rb");
  if (file == nullptr) return 0;
  const jpegicc::ProfileRead read = jpegicc::read_icc_profile_file(file);
  std::fclose(file);
  if (read.profile != profile || read.profile.empty() == read.problem.empty()) __builtin_trap();
  return 0;
}
