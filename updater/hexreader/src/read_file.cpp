#include "updater/read_file.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "framework/text.h"
#include "framework/time.h"
#include "protocol/hid.h"

namespace updater {
namespace {

using framework::String;

// 32-bit signed address arithmetic as the device's addresses wrap.
int32_t Wrap(uint32_t value) { return static_cast<int32_t>(value); }

// Two hex digits from 1-based byte position `pos` of `text`; digits past its
// end read as nothing.
int32_t PairAt(const String& text, int32_t pos) { return HID::StringToHex(framework::MidB(text, pos, 2)); }

void PlaceRecord(int32_t byteAddress, const String& data, int32_t count) {
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
      for (int32_t l = first; l < count; ++l) {
        const int32_t value = PairAt(data, 2 * l + 1);
        const int64_t p = (starts_inside ? int64_t{into} : -int64_t{first}) + l;
        if (p >= bound) {
          HID::ShowMessage(String("Warning: p=") + framework::Str(p) + String(" over limit=") +
                           framework::Str(bound));
          break;
        }
        region->data->set_UInt8Value(static_cast<int32_t>(p), static_cast<uint8_t>(value));
        framework::Yield();
      }
    }
    framework::Yield();
  }
}

}  // namespace

bool ReadFile() {
  HID::datafile = framework::DefineEncoding(HID::datafile, framework::Encodings.ASCII);
  const std::vector<String> lines = framework::Split(HID::datafile, framework::EndOfLine.Windows());
  int32_t extendedAddress = 0;
  for (const String& piece : lines) {
    const String line = framework::Trim(piece);
    if (framework::LeftB(line, 1) != String(":")) {
      HID::ShowMessage("Invalid file format.");
      return false;
    }
    const String text = framework::MidB(line, 2);
    const int32_t count = PairAt(text, 1);
    const int32_t address = HID::StringToHex(framework::MidB(text, 3, 4));
    const int32_t recordType = PairAt(text, 7);
    const int32_t dataLength = std::max(0, 2 * count);
    const String data = framework::MidB(text, 9, dataLength);
    const int32_t checksum = PairAt(text, 9 + dataLength);

    int32_t sum = 0;
    for (int32_t i = 0; i < count + 4; ++i) {
      sum += PairAt(text, 2 * i + 1);
      framework::Yield();
    }
    const int32_t expected =
        static_cast<int32_t>(framework::BitwiseAnd(framework::Bitwise.OnesComplement(sum) + 1, 0xFF));
    if (expected != checksum) {
      HID::ShowMessage(String("Checksum Error: ") + framework::Str(expected) + String(" <> ") +
                       framework::Str(checksum));
      return false;
    }

    switch (recordType) {
      case 0x04:
        extendedAddress = HID::StringToHex(data);
        break;
      case 0x01:
        return true;
      case 0x00:
        PlaceRecord(Wrap(static_cast<uint32_t>(address) + static_cast<uint32_t>(extendedAddress) * 0x10000u),
                    data, count);
        break;
      default:
        HID::ShowMessage(String("Invalid file format.") + framework::String(framework::EndOfLine) + framework::String(framework::EndOfLine) +
                         String("recordType=") + framework::Str(recordType));
        return false;
    }
    framework::Yield();
  }
  return false;
}

}  // namespace updater
