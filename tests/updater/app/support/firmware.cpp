#include "firmware.h"

#include <algorithm>
#include <random>

#include "sim/intel_hex.h"

namespace apptest {

std::string FirmwareFor(const sim::Config& config, unsigned seed) {
  std::mt19937 random(seed);
  const uint32_t bpa = config.bytes_per_address();
  std::vector<sim::HexBlock> blocks;
  for (const sim::Region& r : config.regions) {
    const uint32_t first = r.address * bpa;
    const uint32_t bytes = r.size * bpa;
    auto block = [&](uint32_t offset, uint32_t length) {
      length = std::min(length, bytes - std::min(bytes, offset));
      if (length == 0) return;
      sim::HexBlock b;
      b.address = first + offset;
      for (uint32_t i = 0; i < length; ++i) b.bytes.push_back(uint8_t(random()));
      blocks.push_back(std::move(b));
    };
    if (r.type == sim::kConfigRegion) {
      block(0, bytes);
    } else {
      block(0, 3000);
      block(bytes / 2 + 7, 1001);
      block(bytes - 61, 61);
    }
  }
  return sim::write_intel_hex(blocks);
}

std::string FirmwareAt(uint32_t first, uint32_t length, unsigned seed) {
  std::mt19937 random(seed);
  sim::HexBlock block{first, {}};
  for (uint32_t i = 0; i < length; ++i) block.bytes.push_back(uint8_t(random()));
  return sim::write_intel_hex({block});
}

}  // namespace apptest
