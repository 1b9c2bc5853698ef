// Compares the simulated device's memory dump with a firmware file on the
// firmware's bytes that lie in one range of byte addresses (the program
// regions; configuration regions are never written).
//
//   compare_memory FIRMWARE.hex DUMP.hex FIRST END
//
// FIRST and END are byte addresses, decimal or hexadecimal after 0x, up to
// 0x100000000; the range is FIRST up to, not including, END.
// Exit code 0 when they match, 1 when they differ, 2 when a file cannot be
// read, an address is not one, FIRST is not below END or the firmware holds
// no byte in the range: a match on nothing would tell nothing.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "sim/intel_hex.h"

namespace {

constexpr uint64_t kAddressEnd = uint64_t{1} << 32;

// The whole text as a number, or nothing: a typo must not cut a range short.
std::optional<uint64_t> read_address(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  uint64_t value = 0;
  const char* const last = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), last, value, base);
  if (text.empty() || error != std::errc() || stop != last || value > kAddressEnd) return std::nullopt;
  return value;
}

int refuse(const std::string& message) {
  std::cerr << "compare_memory: " << message << "\n";
  return 2;
}

int compare(const sim::HexImage& wanted, const sim::HexImage& memory, uint64_t first, uint64_t end) {
  const auto diffs = sim::differences(wanted, memory, 5);
  if (diffs.empty()) {
    std::printf("The device memory matches the firmware: %zu bytes in 0x%llX..0x%llX.\n", wanted.size(),
                static_cast<unsigned long long>(first), static_cast<unsigned long long>(end - 1));
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cerr << "usage: compare_memory FIRMWARE.hex DUMP.hex FIRST END\n";
    return 2;
  }
  const char* const names[] = {"FIRST", "END"};
  uint64_t range[2] = {};
  for (int i = 0; i < 2; ++i) {
    const auto value = read_address(argv[3 + i]);
    if (!value)
      return refuse(std::string(names[i]) + " \"" + argv[3 + i] +
                    "\" is not an address (decimal, or hexadecimal after 0x, at most 0x100000000)");
    range[i] = *value;
  }
  const uint64_t first = range[0], end = range[1];
  if (first >= end) return refuse("the range FIRST..END is empty: FIRST must be below END");
  sim::HexImage firmware, memory;
  try {
    firmware = sim::read_intel_hex_file(argv[1]);
    memory = sim::read_intel_hex_file(argv[2]);
  } catch (const sim::HexError& e) {
    return refuse(e.what());
  }
  sim::HexImage wanted;
  for (const auto& [address, byte] : firmware) {
    if (address >= first && address < end) wanted[address] = byte;
  }
  if (wanted.empty()) {
    char range_text[64];
    std::snprintf(range_text, sizeof range_text, "0x%llX..0x%llX", static_cast<unsigned long long>(first),
                  static_cast<unsigned long long>(end - 1));
    return refuse(std::string("the firmware holds no byte in ") + range_text);
  }
  return compare(wanted, memory, first, end);
}
