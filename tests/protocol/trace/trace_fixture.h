#pragma once
// Fresh module data, an empty application folder and an empty debug log per
// test, and packets built byte by byte.

#include <cstdint>
#include <string>
#include <vector>

#include "app_folder.h"
#include "debug_log_capture.h"
#include "framework/memoryblock.h"
#include "module_fixture.h"

namespace tracetest {

class TraceTest : public hidtest::ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    debug_log.clear();
  }

  std::vector<std::string> DebugLines() const { return debug_log.lines(); }

  hidtest::AppFolder folder;
  testsupport::DebugLogCapture debug_log;
};

// The block holding exactly `bytes`.
inline framework::Ref<framework::MemoryBlock> Block(const std::vector<uint8_t>& bytes) {
  framework::Ref<framework::MemoryBlock> block = framework::NewMemoryBlock(static_cast<int64_t>(bytes.size()));
  for (size_t i = 0; i < bytes.size(); ++i) block->set_UInt8Value(static_cast<int64_t>(i), bytes[i]);
  return block;
}

// A 64-byte packet: code, the address little-endian, the count, then `data`
// from byte 6 (the rest zero).
inline std::vector<uint8_t> Packet(uint8_t code, uint32_t address, uint8_t count,
                                   const std::vector<uint8_t>& data = {}) {
  std::vector<uint8_t> p(64, 0);
  p[0] = code;
  for (int i = 0; i < 4; ++i) p[1 + i] = static_cast<uint8_t>(address >> (8 * i));
  p[5] = count;
  for (size_t i = 0; i < data.size() && 6 + i < p.size(); ++i) p[6 + i] = data[i];
  return p;
}

// Bytes 1, 2, 3, ... so that every byte of a line tells where it came from.
inline std::vector<uint8_t> Counting(size_t n, uint8_t first = 1) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(first + i);
  return v;
}

// Upper-case hex, two digits a byte, of bytes [from, from + n) of `bytes`.
inline std::string HexOf(const std::vector<uint8_t>& bytes, size_t from = 0, size_t n = std::string::npos) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = from; i < bytes.size() && i - from < n; ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 0x0F];
  }
  return out;
}

}  // namespace tracetest
