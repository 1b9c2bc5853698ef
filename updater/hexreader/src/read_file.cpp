#include "updater/read_file.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "framework/text.h"
#include "framework/time.h"
#include "protocol/hid.h"
#include "protocol/query_device.h"

namespace updater {
namespace {

using framework::String;

// 32-bit signed address arithmetic as the device's addresses wrap.
int32_t Wrap(uint32_t value) { return static_cast<int32_t>(value); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Up to `length` (at most 7) hex digits from 1-based byte position `pos` of
// `text`, read as StringToHex reads MidB(text, pos, length): digits up to the
// first that is none, and digits past its end as nothing. Straight from the
// bytes: this runs twice for every byte of the image.
int32_t HexAt(std::string_view text, int32_t pos, int32_t length) {
  int32_t value = 0;
  if (pos < 1) return value;
  for (std::size_t i = static_cast<std::size_t>(pos) - 1; length > 0 && i < text.size(); ++i, --length) {
    const int digit = HexDigit(text[i]);
    if (digit < 0) break;
    value = value * 16 + digit;
  }
  return value;
}

int32_t PairAt(std::string_view text, int32_t pos) { return HexAt(text, pos, 2); }

void PlaceRecord(const HID::BoundMembers& members, int32_t byteAddress, const String& data, int32_t count,
                 int64_t& programmable) {
  const int32_t b = HID::bytesPerAddress;
  for (int32_t k = 0; k < HID::memoryRegionsDetected; ++k) {
    if (k >= static_cast<int32_t>(HID::MemoryRegions.size())) break;
    // Held for the turn: messages and yields let other events run meanwhile.
    const framework::Ref<HID::MemoryRegion> region = HID::MemoryRegions[k];
    if (!region) continue;
    // Offsets are taken modulo 2^32, so that a region that ends at or crosses
    // 0x80000000 holds its bytes like any other.
    const uint32_t low = static_cast<uint32_t>(region->Address) * static_cast<uint32_t>(b);
    const int64_t span = int64_t{region->Size} * b;
    const uint32_t into = static_cast<uint32_t>(byteAddress) - low;
    // A record that starts below the region and runs into it brings the bytes
    // from `first` on; without them the region would keep a gap.
    const uint32_t below = low - static_cast<uint32_t>(byteAddress);
    const bool starts_inside = into < span;
    const int32_t first = starts_inside ? 0 : static_cast<int32_t>(std::min<uint32_t>(below, 0x7FFFFFFF));
    if (span > 0 && (starts_inside || first < count)) {
      const int64_t limit = (static_cast<int64_t>(region->Size) + 1) * b;
      const int64_t imageSize = region->data ? region->data->Size() : 0;
      const int64_t bound = std::min(limit, imageSize);
      const std::string_view digits = data.bytes();
      for (int32_t l = first; l < count; ++l) {
        const int32_t value = PairAt(digits, 2 * l + 1);
        const int64_t p = (starts_inside ? int64_t{into} : -int64_t{first}) + l;
        if (p >= bound) {
          members.ShowMessage(String("Warning: p=") + framework::Str(p) + String(" over limit=") +
                              framework::Str(bound));
          break;
        }
        region->data->set_UInt8Value(static_cast<int32_t>(p), static_cast<uint8_t>(value));
        if (p < span && HID::IsProgrammableRegion(*region)) ++programmable;
        framework::Yield();
      }
    }
    framework::Yield();
  }
}

}  // namespace

bool ReadFile(const HID::BoundMembers& members, int64_t* programmable) {
  int64_t placed = 0;
  if (programmable) *programmable = 0;
  HID::datafile = framework::DefineEncoding(HID::datafile, framework::Encodings.ASCII);
  const std::vector<String> lines = framework::Split(HID::datafile, framework::EndOfLine.Windows());
  int32_t extendedAddress = 0;
  for (const String& piece : lines) {
    const String line = framework::Trim(piece);
    if (line.bytes().substr(0, 1) != ":") {
      members.ShowMessage("Invalid file format.");
      return false;
    }
    // The text after the ":", its byte positions counted from 1.
    const std::string_view digits = line.bytes().substr(1);
    const int32_t count = PairAt(digits, 1);
    const int32_t address = HexAt(digits, 3, 4);
    const int32_t recordType = PairAt(digits, 7);
    const int32_t dataLength = std::max(0, 2 * count);
    const String data = framework::MidB(line, 10, dataLength);
    const int32_t checksum = PairAt(digits, 9 + dataLength);

    int32_t sum = 0;
    for (int32_t i = 0; i < count + 4; ++i) {
      sum += PairAt(digits, 2 * i + 1);
      framework::Yield();
    }
    const int32_t expected =
        static_cast<int32_t>(framework::BitwiseAnd(framework::Bitwise.OnesComplement(sum) + 1, 0xFF));
    if (expected != checksum) {
      members.ShowMessage(String("Checksum Error: ") + framework::Str(expected) + String(" <> ") +
                          framework::Str(checksum));
      return false;
    }

    switch (recordType) {
      case 0x04:
        extendedAddress = HID::StringToHex(data);
        break;
      case 0x01:
        if (programmable) *programmable = placed;
        return true;
      case 0x00:
        PlaceRecord(members, Wrap(static_cast<uint32_t>(address) + static_cast<uint32_t>(extendedAddress) * 0x10000u),
                    data, count, placed);
        break;
      default:
        members.ShowMessage(String("Invalid file format.") + framework::String(framework::EndOfLine) +
                            framework::String(framework::EndOfLine) + String("recordType=") +
                            framework::Str(recordType));
        return false;
    }
    framework::Yield();
  }
  return false;
}

}  // namespace updater
