#include "console/decoding_from_hex.h"

#include <string>
#include <utility>

#include "framework/encoding.h"

namespace console {
namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

framework::String StandInDecoding(const framework::String& hex) {
  std::string out;
  int high = -1;
  for (char c : hex.bytes()) {
    if (Blank(c)) continue;
    const int value = DigitValue(c);
    if (value < 0) break;
    if (high < 0) {
      high = value;
    } else {
      out += static_cast<char>(high << 4 | value);
      high = -1;
    }
  }
  return framework::String::from_bytes(out, framework::Encodings.Undetermined);
}

DecodingFromHexEntry& entry() {
  static DecodingFromHexEntry e;
  return e;
}

}  // namespace

framework::String DecodingFromHexQVX(const framework::String& hex) {
  return entry() ? entry()(hex) : StandInDecoding(hex);
}

void SetDecodingFromHexEntry(DecodingFromHexEntry e) { entry() = std::move(e); }

}  // namespace console
