#include "protocol/encoding_to_hex.h"

#include <string>
#include <utility>

namespace HID {
namespace {

framework::String StandInHex(const framework::String& data) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(data.bytes().size() * 2);
  for (unsigned char b : data.bytes()) {
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
  }
  return framework::String(out);
}

EncodingToHexEntry& entry() {
  static EncodingToHexEntry e;
  return e;
}

}  // namespace

framework::String EncodingToHexQVX(const framework::String& data) {
  return entry() ? entry()(data) : StandInHex(data);
}

void SetEncodingToHexEntry(EncodingToHexEntry e) { entry() = std::move(e); }

}  // namespace HID
