#include <sim/intel_hex.h>

#include "fileread/fileread.h"

#include <algorithm>
#include <cstdio>

namespace sim {
namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void append_record(std::string& out, uint8_t type, uint16_t address, const uint8_t* data, size_t n) {
  char buffer[16];
  unsigned sum = static_cast<unsigned>(n) + (address >> 8) + (address & 0xFF) + type;
  std::snprintf(buffer, sizeof buffer, ":%02X%04X%02X", static_cast<unsigned>(n), address, type);
  out += buffer;
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(buffer, sizeof buffer, "%02X", data[i]);
    out += buffer;
    sum += data[i];
  }
  std::snprintf(buffer, sizeof buffer, "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
  out += buffer;
}

}  // namespace

std::string write_intel_hex(const std::vector<HexBlock>& blocks) {
  std::string out;
  uint32_t upper = 0;
  for (const auto& block : blocks) {
    size_t i = 0;
    while (i < block.bytes.size()) {
      uint32_t address = block.address + static_cast<uint32_t>(i);
      if ((address >> 16) != upper) {
        upper = address >> 16;
        const uint8_t ext[2] = {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper)};
        append_record(out, 0x04, 0, ext, 2);
      }
      // A record never crosses a 64 KiB boundary.
      size_t room = 0x10000 - (address & 0xFFFF);
      size_t n = std::min({size_t{16}, block.bytes.size() - i, room});
      append_record(out, 0x00, static_cast<uint16_t>(address), block.bytes.data() + i, n);
      i += n;
    }
  }
  append_record(out, 0x01, 0, nullptr, 0);
  return out;
}

HexImage read_intel_hex(std::string_view text) {
  auto fail = [](int line, const std::string& what) {
    return HexError(line, "line " + std::to_string(line) + ": " + what);
  };
  HexImage image;
  uint32_t base = 0;
  int line_number = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++line_number;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.empty()) continue;
    if (line[0] != ':') throw fail(line_number, "a record starts with ':'");
    line.remove_prefix(1);
    if (line.size() % 2 != 0 || line.size() < 10) throw fail(line_number, "malformed record");
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < line.size(); i += 2) {
      int hi = hex_digit(line[i]), lo = hex_digit(line[i + 1]);
      if (hi < 0 || lo < 0) throw fail(line_number, "not a hexadecimal digit");
      bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
    size_t count = bytes[0];
    if (bytes.size() != count + 5) throw fail(line_number, "byte count does not match the record");
    unsigned sum = 0;
    for (uint8_t b : bytes) sum += b;
    if ((sum & 0xFF) != 0) throw fail(line_number, "checksum mismatch");
    uint16_t address = static_cast<uint16_t>(bytes[1] << 8 | bytes[2]);
    const uint8_t* data = bytes.data() + 4;
    switch (bytes[3]) {
      case 0x00:
        for (size_t i = 0; i < count; ++i) image[base + address + static_cast<uint32_t>(i)] = data[i];
        break;
      case 0x01:
        return image;
      case 0x02:
      case 0x04:
        if (count != 2) throw fail(line_number, "address record needs two bytes");
        base = static_cast<uint32_t>(data[0] << 8 | data[1]) << (bytes[3] == 0x04 ? 16 : 4);
        break;
      case 0x03:
      case 0x05:
        break;
      default:
        throw fail(line_number, "unknown record type " + std::to_string(bytes[3]));
    }
  }
  throw HexError(0, "no end record");
}

HexImage read_intel_hex_file(const std::string& path) {
  const fileread::FileRead read = fileread::read_file(path);
  if (!read.ok()) throw HexError(0, "cannot read " + path + ": " + read.reason());
  try {
    return read_intel_hex(read.bytes);
  } catch (const HexError& e) {
    throw HexError(e.line(), path + ": " + e.what());
  }
}

std::vector<HexDifference> differences(const HexImage& expected, const HexImage& actual, size_t limit) {
  std::vector<HexDifference> out;
  for (const auto& [address, byte] : expected) {
    if (out.size() >= limit) break;
    auto it = actual.find(address);
    if (it == actual.end()) {
      out.push_back({address, byte, -1});
    } else if (it->second != byte) {
      out.push_back({address, byte, it->second});
    }
  }
  return out;
}

}  // namespace sim
