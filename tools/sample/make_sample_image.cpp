// Writes the bytes of the sample firmware: the whole program region of the
// default device and its configuration bytes, as plain binary files. The
// build cuts gaps into the program bytes when it turns them into Intel HEX.
//
// usage: make_sample_image PROGRAM_FILE CONFIG_FILE

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr std::size_t kProgramBytes = 0x7000;

// Configuration words of the kind a bootloader-protected part ships with
// (oscillator, reset, watchdog and protection settings).
constexpr std::uint8_t kConfig[14] = {0x24, 0x0E, 0x3F, 0x1E, 0x00, 0x81, 0x85,
                                      0x00, 0x0F, 0xC0, 0x0F, 0xA0, 0x0F, 0x40};

bool write(const char* path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: make_sample_image PROGRAM_FILE CONFIG_FILE\n", stderr);
    return 2;
  }
  // A fixed linear congruential sequence: every byte depends on its
  // position, so a byte placed at the wrong address shows in a comparison.
  std::vector<std::uint8_t> program(kProgramBytes);
  std::uint32_t state = 0x1D872B41u;
  for (std::uint8_t& byte : program) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<std::uint8_t>(state >> 24);
  }
  if (!write(argv[1], program.data(), program.size()) || !write(argv[2], kConfig, sizeof kConfig)) {
    std::perror("make_sample_image");
    return 1;
  }
  return 0;
}
