#pragma once
// Intel HEX text for the simulated device's memory: the dump it writes and
// the initial memory it reads, and for comparing a dump with a firmware file.

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// Byte address -> byte. Addresses are the hex file's byte addresses.
using HexImage = std::map<uint32_t, uint8_t>;

struct HexBlock {
  uint32_t address = 0;  // byte address of bytes[0]
  std::vector<uint8_t> bytes;
};

class HexError : public std::runtime_error {
 public:
  HexError(int line, const std::string& what) : std::runtime_error(what), line_(line) {}
  int line() const { return line_; }  // 0 when the text as a whole is at fault

 private:
  int line_;
};

// Records of up to 16 data bytes (type 00), a type-04 record wherever the
// upper 16 address bits change, and the end record (type 01); CR LF line ends.
std::string write_intel_hex(const std::vector<HexBlock>& blocks);

// Reads record types 00, 01, 02 and 04; 03 and 05 (start addresses) are
// skipped. Lines end in LF or CR LF; blank lines are skipped; nothing after the
// end record is read. Throws HexError for a malformed line, a bad checksum,
// an unknown record type or a text without end record.
HexImage read_intel_hex(std::string_view text);

// read_intel_hex of a file's contents; HexError also when it cannot be read.
HexImage read_intel_hex_file(const std::string& path);

struct HexDifference {
  uint32_t address = 0;
  uint8_t expected = 0;
  int actual = -1;  // -1: the address is missing
};

// Addresses of expected whose byte differs in actual or is missing there, in
// address order, at most limit of them.
std::vector<HexDifference> differences(const HexImage& expected, const HexImage& actual, size_t limit = SIZE_MAX);

}  // namespace sim
