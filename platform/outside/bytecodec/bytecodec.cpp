#include "bytecodec/bytecodec.h"

namespace bytecodec {
namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::string XorBytes(std::string_view data, std::string_view mask, int64_t offset) {
  std::string out(data);
  if (mask.empty()) return out;
  const auto length = static_cast<int64_t>(mask.size());
  int64_t at = offset % length;
  if (at < 0) at += length;
  for (char& c : out) {
    c = static_cast<char>(c ^ mask[static_cast<size_t>(at)]);
    if (++at == length) at = 0;
  }
  return out;
}

std::string ToHex(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
  }
  return out;
}

std::string FromHex(std::string_view text) {
  std::string out;
  int high = -1;
  for (char c : text) {
    if (Blank(c)) continue;
    int value = DigitValue(c);
    if (value < 0) break;
    if (high < 0) {
      high = value;
    } else {
      out += static_cast<char>(high << 4 | value);
      high = -1;
    }
  }
  return out;
}

}  // namespace bytecodec
