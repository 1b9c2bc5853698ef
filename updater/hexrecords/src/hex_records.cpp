#include "updater/hex_records.h"

#include <algorithm>
#include <cstddef>

namespace updater {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  return line;
}

int32_t PairAt(std::string_view text, int32_t pos) { return HexDigitsAt(text, pos, 2); }

}  // namespace

// Straight from the bytes: the reader runs this twice for every byte of the image.
int32_t HexDigitsAt(std::string_view text, int32_t pos, int32_t length) {
  int32_t value = 0;
  if (pos < 1) return value;
  for (std::size_t i = static_cast<std::size_t>(pos) - 1; length > 0 && i < text.size(); ++i, --length) {
    const int digit = HexDigit(text[i]);
    if (digit < 0) break;
    value = value * 16 + digit;
  }
  return value;
}

HexReading ReadHexRecords(std::string_view text, const std::function<void(const HexRecord&)>& record, void (*yield)()) {
  HexReading reading;
  if (text.empty()) return reading;
  constexpr std::string_view kLineEnd = "\r\n";
  std::size_t start = 0;
  for (bool more = true; more;) {
    const std::size_t end = text.find(kLineEnd, start);
    more = end != std::string_view::npos;
    const std::string_view line = Trimmed(text.substr(start, more ? end - start : std::string_view::npos));
    start = more ? end + kLineEnd.size() : text.size();
    ++reading.line;
    reading.text = line;
    reading.last = !more;

    if (line.substr(0, 1) != ":") {
      reading.stop = HexStop::kNotARecord;
      return reading;
    }
    // The text after the ":", its byte positions counted from 1.
    const std::string_view digits = line.substr(1);
    HexRecord r;
    r.count = PairAt(digits, 1);
    r.address = HexDigitsAt(digits, 3, 4);
    r.type = PairAt(digits, 7);
    const int32_t dataLength = 2 * r.count;
    r.data = digits.substr(std::min<std::size_t>(8, digits.size()), static_cast<std::size_t>(dataLength));
    const int32_t checksum = PairAt(digits, 9 + dataLength);

    int32_t sum = 0;
    for (int32_t i = 0; i < r.count + 4; ++i) {
      sum += PairAt(digits, 2 * i + 1);
      if (yield) yield();
    }
    // The two's complement of the sum's low byte: (~sum + 1) And 0xFF, on 64 bits.
    const int32_t expected = static_cast<int32_t>((~int64_t{sum} + 1) & 0xFF);
    reading.type = r.type;
    if (expected != checksum) {
      reading.stop = HexStop::kChecksum;
      reading.expected = expected;
      reading.found = checksum;
      return reading;
    }
    switch (r.type) {
      case 0x01:
        reading.stop = HexStop::kEndRecord;
        return reading;
      case 0x00:
      case 0x04:
        if (record) record(r);
        break;
      default:
        reading.stop = HexStop::kRecordType;
        return reading;
    }
    if (yield) yield();
  }
  reading.stop = HexStop::kNoEndRecord;
  reading.type = 0;
  return reading;
}

}  // namespace updater
