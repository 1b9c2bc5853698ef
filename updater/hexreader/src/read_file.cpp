#include "updater/read_file.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "framework/text.h"
#include "framework/time.h"
#include "protocol/hid.h"
#include "protocol/query_device.h"
#include "updater/hex_records.h"

namespace updater {
namespace {

using framework::String;

// 32-bit signed address arithmetic as the device's addresses wrap.
int32_t Wrap(uint32_t value) { return static_cast<int32_t>(value); }

int32_t PairAt(std::string_view text, int32_t pos) { return HexDigitsAt(text, pos, 2); }

void PlaceRecord(const HID::BoundMembers& members, int32_t byteAddress, std::string_view digits, int32_t count,
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
  // Held for the reading: messages and yields let other events run meanwhile.
  const String text = HID::datafile;
  int32_t extendedAddress = 0;
  const HexReading reading = ReadHexRecords(
      text.bytes(),
      [&](const HexRecord& record) {
        if (record.type == 0x04) {
          extendedAddress = HID::StringToHex(String(record.data));
        } else {
          PlaceRecord(members,
                      Wrap(static_cast<uint32_t>(record.address) + static_cast<uint32_t>(extendedAddress) * 0x10000u),
                      record.data, record.count, placed);
        }
      },
      framework::Yield);

  switch (reading.stop) {
    case HexStop::kEndRecord:
      if (programmable) *programmable = placed;
      return true;
    case HexStop::kNotARecord:
      members.ShowMessage("Invalid file format.");
      return false;
    case HexStop::kChecksum:
      members.ShowMessage(String("Checksum Error: ") + framework::Str(reading.expected) + String(" <> ") +
                          framework::Str(reading.found));
      return false;
    case HexStop::kRecordType:
      members.ShowMessage(String("Invalid file format.") + framework::String(framework::EndOfLine) +
                          framework::String(framework::EndOfLine) + String("recordType=") +
                          framework::Str(reading.type));
      return false;
    case HexStop::kNoEndRecord:
      break;
  }
  return false;
}

}  // namespace updater
