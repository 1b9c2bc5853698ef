// Compares the simulated device's memory dump with a firmware file on the
// firmware's bytes that lie in one range of byte addresses (the program
// regions; configuration regions are never written).
//
//   compare_memory FIRMWARE.hex DUMP.hex FIRST END     (byte addresses, 0x... allowed)
//
// Exit code 0 when they match, 1 when they differ, 2 when a file cannot be read.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "sim/intel_hex.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cerr << "usage: compare_memory FIRMWARE.hex DUMP.hex FIRST END\n";
    return 2;
  }
  const uint32_t first = uint32_t(std::strtoul(argv[3], nullptr, 0));
  const uint32_t end = uint32_t(std::strtoul(argv[4], nullptr, 0));
  sim::HexImage firmware, memory;
  try {
    firmware = sim::read_intel_hex_file(argv[1]);
    memory = sim::read_intel_hex_file(argv[2]);
  } catch (const sim::HexError& e) {
    std::cerr << "compare_memory: " << e.what() << "\n";
    return 2;
  }
  sim::HexImage wanted;
  for (const auto& [address, byte] : firmware) {
    if (address >= first && address < end) wanted[address] = byte;
  }
  const auto diffs = sim::differences(wanted, memory, 5);
  if (diffs.empty()) {
    std::printf("The device memory matches the firmware: %zu bytes in 0x%X..0x%X.\n", wanted.size(), first, end - 1);
    return 0;
  }
  const auto all = sim::differences(wanted, memory).size();
  std::printf("The device memory differs from the firmware at %zu of %zu addresses, first at:\n", all, wanted.size());
  for (const auto& d : diffs) {
    if (d.actual < 0) {
      std::printf("  0x%06X: firmware %02X, device has nothing there\n", d.address, d.expected);
    } else {
      std::printf("  0x%06X: firmware %02X, device %02X\n", d.address, d.expected, d.actual);
    }
  }
  return 1;
}
