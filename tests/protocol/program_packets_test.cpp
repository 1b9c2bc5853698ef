#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "framework/exceptions.h"
#include "module_fixture.h"

namespace HID {

void PrintTo(const ProgramSlice& s, std::ostream* os) {
  *os << "{0x" << std::hex << uint32_t(s.address) << std::dec << ", " << s.offset << ", " << s.count << "}";
}

}  // namespace HID

namespace {

using framework::MemoryBlock;
using framework::Ref;
using HID::ProgramSlice;

Ref<HID::MemoryRegion> Region(uint32_t address, int32_t size) {
  Ref<HID::MemoryRegion> region = framework::make<HID::MemoryRegion>();
  region->Type = 1;
  region->Address = static_cast<int32_t>(address);
  region->Size = size;
  return region;
}

// Image byte i holds i + 1, so that a field shows which bytes it carries.
Ref<MemoryBlock> Image(int64_t size) {
  Ref<MemoryBlock> image = framework::NewMemoryBlock(size);
  for (int64_t i = 0; i < size; ++i) image->set_UInt8Value(i, static_cast<uint8_t>(i + 1));
  return image;
}

ProgramSlice Slice(uint32_t address, int64_t offset, int32_t count) {
  return ProgramSlice{static_cast<int32_t>(address), offset, count};
}

struct SliceCase {
  const char* name;
  uint32_t address;
  int32_t size;
  int64_t image_size;
  int32_t bytes_per_packet;
  int32_t bytes_per_address;
  std::vector<ProgramSlice> expected;
};

void PrintTo(const SliceCase& c, std::ostream* os) { *os << c.name; }

class ProgramSlicesTest : public ::testing::TestWithParam<SliceCase> {};

TEST_P(ProgramSlicesTest, CutsTheImageIntoWholeAddressPackets) {
  const SliceCase& c = GetParam();
  EXPECT_EQ(
      HID::ProgramSlices(*Region(c.address, c.size), *Image(c.image_size), c.bytes_per_packet, c.bytes_per_address),
      c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Regions, ProgramSlicesTest,
    ::testing::Values(
        SliceCase{"ExactMultiple", 0x1000, 112, 122, 56, 1, {Slice(0x1000, 0, 56), Slice(0x1038, 56, 56)}},
        SliceCase{"ShortLastPacket", 0x1000, 100, 110, 56, 1, {Slice(0x1000, 0, 56), Slice(0x1038, 56, 44)}},
        SliceCase{"OneByteLeftForTheLastPacket", 0x1000, 57, 67, 56, 1, {Slice(0x1000, 0, 56), Slice(0x1038, 56, 1)}},
        SliceCase{"OnePacketShorterThanAPacket", 0x300000, 14, 24, 56, 1, {Slice(0x300000, 0, 14)}},
        SliceCase{"TwoBytesPerAddress", 0x800, 50, 110, 58, 2, {Slice(0x800, 0, 58), Slice(0x81D, 58, 42)}},
        // 57 bytes hold 28 whole addresses of two bytes.
        SliceCase{"OddPacketSizeRoundsDownToWholeAddresses",
                  0x800,
                  60,
                  130,
                  57,
                  2,
                  {Slice(0x800, 0, 56), Slice(0x81C, 56, 56), Slice(0x838, 112, 8)}},
        SliceCase{
            "OtherBytesPerAddressCountAsOne", 0x1000, 60, 70, 56, 3, {Slice(0x1000, 0, 56), Slice(0x1038, 56, 4)}},
        SliceCase{"HighAddressCrossesTheSignBit",
                  0x7FFFFFF0,
                  32,
                  42,
                  16,
                  1,
                  {Slice(0x7FFFFFF0, 0, 16), Slice(0x80000000, 16, 16)}},
        SliceCase{"HighAddressWrapsAt32Bits", 0xFFFFFFF8, 16, 26, 8, 1, {Slice(0xFFFFFFF8, 0, 8), Slice(0, 8, 8)}},
        SliceCase{"NeverPastTheImage", 0x1000, 100, 30, 56, 1, {Slice(0x1000, 0, 30)}},
        SliceCase{"EmptyRegion", 0x1000, 0, 10, 56, 1, {}},
        SliceCase{"PacketSizeBelowOneAddress", 0x1000, 16, 42, 1, 2, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Step 1 refuses such a packet size; the cut refuses it too rather than write
// past the data field.
TEST(ProgramSlicesLimitTest, PacketOverTheDataFieldThrowsWhenThereIsSomethingToSend) {
  EXPECT_THROW(HID::ProgramSlices(*Region(0x1000, 16), *Image(26), 59, 1), framework::OutOfBoundsException);
  EXPECT_TRUE(HID::ProgramSlices(*Region(0x1000, 0), *Image(10), 59, 1).empty());
}

TEST(ProgramDataFieldTest, RightAlignsTheSliceAndZeroesTheRest) {
  const Ref<MemoryBlock> image = Image(100);
  for (int32_t count : {3, 58}) {
    std::string expected(size_t(HID::kPacketDataSize - count), '\0');
    for (int32_t k = 0; k < count; ++k) expected.push_back(static_cast<char>(6 + k));
    EXPECT_EQ(hidtest::Text(HID::ProgramDataField(*image, Slice(0, 5, count))), expected) << "count " << count;
  }
}

}  // namespace
