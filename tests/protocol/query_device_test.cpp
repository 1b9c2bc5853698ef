#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "module_fixture.h"

namespace {

using framework::MemoryBlock;
using framework::Ref;
using hidtest::Bytes;
using hidtest::QueryReply;
using hidtest::RegionEntry;

std::vector<uint8_t> Image(size_t filled, size_t spare_ff = 0) {
  std::vector<uint8_t> image(filled + spare_ff, 0xFF);
  image.resize(filled + 10, 0);
  return image;
}

class QueryDeviceTest : public hidtest::ModuleTest {};

// The reply 02 38 02 | 01 00000000 00580000 | 03 0000F800 0C000000 | FF.
Ref<MemoryBlock> ExampleReply() {
  const uint8_t bytes[] = {0x02, 0x38, 0x02, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x58, 0x00,
                           0x00, 0x03, 0x00, 0x00, 0xF8, 0x00, 0x0C, 0x00, 0x00, 0x00, 0xFF};
  Ref<MemoryBlock> reply = framework::NewMemoryBlock(64);
  for (int i = 0; i < static_cast<int>(sizeof bytes); ++i) reply->set_UInt8Value(i, bytes[i]);
  return reply;
}

TEST_F(QueryDeviceTest, ReadsTheExampleReply) {
  Ref<MemoryBlock> reply = ExampleReply();
  ASSERT_EQ(HID::EvaluateQueryDeviceReply(*reply), HID::QueryEvaluation::Known);
  EXPECT_EQ(HID::BytesPerPacket, 56);
  EXPECT_EQ(HID::DeviceFamily, 2);
  EXPECT_EQ(HID::bytesPerAddress, 2);

  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *reply));
  EXPECT_EQ(HID::memoryRegionsDetected, 2);
  ASSERT_EQ(HID::MemoryRegions.size(), 2u);
  const HID::MemoryRegion& program = *HID::MemoryRegions[0];
  EXPECT_EQ(program.Type, 1);
  EXPECT_EQ(program.Address, 0);
  EXPECT_EQ(program.Size, 22528);
  // Two bytes per address: the image holds 2 x Size bytes before the 10 spare ones.
  EXPECT_EQ(Bytes(*program.data), Image(2 * 22528));
  const HID::MemoryRegion& config = *HID::MemoryRegions[1];
  EXPECT_EQ(config.Type, 3);
  EXPECT_EQ(config.Address, 0xF80000);
  EXPECT_EQ(config.Size, 12);
  EXPECT_EQ(Bytes(*config.data), Image(24));
  EXPECT_TRUE(messages.empty());
}

TEST_F(QueryDeviceTest, OneBytePerAddressKeepsSizePlusTen) {
  Ref<MemoryBlock> reply = QueryReply(56, 1, {{1, 0x1000, 0x7000}, {3, 0x300000, 14}});
  ASSERT_EQ(HID::EvaluateQueryDeviceReply(*reply), HID::QueryEvaluation::Known);
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *reply));
  ASSERT_EQ(HID::MemoryRegions.size(), 2u);
  EXPECT_EQ(Bytes(*HID::MemoryRegions[0]->data), Image(0x7000));
  EXPECT_EQ(Bytes(*HID::MemoryRegions[1]->data), Image(14));
}

// A reply handed over with the other byte order set is still read
// least significant byte first: that is how the device sends it.
TEST_F(QueryDeviceTest, ReadsEntriesLittleEndianWhateverTheBlocksByteOrder) {
  Ref<MemoryBlock> reply = QueryReply(56, 1, {{1, 0x1000, 0x7000}});
  reply->set_LittleEndian(false);
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *reply));
  ASSERT_EQ(HID::MemoryRegions.size(), 1u);
  EXPECT_EQ(HID::MemoryRegions[0]->Address, 0x1000);
  EXPECT_EQ(HID::MemoryRegions[0]->Size, 0x7000);
}

TEST_F(QueryDeviceTest, EveryParseAppends) {
  Ref<MemoryBlock> reply = ExampleReply();
  ASSERT_EQ(HID::EvaluateQueryDeviceReply(*reply), HID::QueryEvaluation::Known);
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *reply));
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *reply));
  EXPECT_EQ(HID::memoryRegionsDetected, 4);
  ASSERT_EQ(HID::MemoryRegions.size(), 4u);
  EXPECT_NE(HID::MemoryRegions[2], HID::MemoryRegions[0]);
  EXPECT_EQ(HID::MemoryRegions[2]->Size, 22528);
  EXPECT_EQ(HID::MemoryRegions[3]->Address, 0xF80000);
}

TEST_F(QueryDeviceTest, EndMarkFirstAddsNoRegion) {
  EXPECT_EQ(HID::memoryRegionsDetected, 0);
  EXPECT_TRUE(HID::MemoryRegions.empty());
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *QueryReply(56, 1, {})));
  EXPECT_EQ(HID::memoryRegionsDetected, 0);
  EXPECT_TRUE(HID::MemoryRegions.empty());
}

TEST_F(QueryDeviceTest, SizeZeroImageIsTenBytesOfFF) {
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *QueryReply(56, 1, {{1, 0x800, 0}})));
  ASSERT_EQ(HID::MemoryRegions.size(), 1u);
  EXPECT_EQ(Bytes(*HID::MemoryRegions[0]->data), std::vector<uint8_t>(10, 0xFF));
}

TEST_F(QueryDeviceTest, WithoutEndMarkReadsSixEntriesAndNothingAfter) {
  std::vector<RegionEntry> six;
  for (int k = 0; k < 6; ++k) six.push_back({static_cast<uint8_t>(k), 0x100 * k, k + 1});
  Ref<MemoryBlock> reply = QueryReply(56, 1, six);
  for (int i = 57; i < 64; ++i) reply->set_UInt8Value(i, 0x01);
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *reply));
  ASSERT_EQ(HID::memoryRegionsDetected, 6);
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(HID::MemoryRegions[k]->Type, k);
    EXPECT_EQ(HID::MemoryRegions[k]->Address, 0x100 * k);
    EXPECT_EQ(HID::MemoryRegions[k]->Size, k + 1);
  }
}

TEST_F(QueryDeviceTest, ImagesAreFilledThroughTheBoundFill) {
  std::vector<std::vector<int32_t>> calls;
  bound.FillBytesQVX = [&](MemoryBlock& block, int32_t offset, int32_t count, int32_t value) {
    calls.push_back({block.Size(), offset, count, value});
  };
  HID::bytesPerAddress = 2;
  const bool usable = HID::ParseMemoryRegions(bound, *QueryReply(56, 2, {{1, 0, 100}, {3, 0x10, 0}}));
  ASSERT_TRUE(usable);
  EXPECT_EQ(calls, (std::vector<std::vector<int32_t>>{{210, 0, 200, 255}, {10, 0, 0, 255}}));
}

struct FamilyCase {
  int32_t family;
  int32_t before;
  int32_t after;
  HID::QueryEvaluation evaluation;
};

void PrintTo(const FamilyCase& c, std::ostream* os) { *os << "family " << c.family; }

class FamilyTableTest : public hidtest::ModuleTest, public ::testing::WithParamInterface<FamilyCase> {};

TEST_P(FamilyTableTest, SetsBytesPerAddressForKnownFamiliesOnly) {
  const FamilyCase& c = GetParam();
  HID::bytesPerAddress = c.before;
  Ref<MemoryBlock> reply = QueryReply(40, static_cast<uint8_t>(c.family), {});
  EXPECT_EQ(HID::EvaluateQueryDeviceReply(*reply), c.evaluation);
  EXPECT_EQ(HID::bytesPerAddress, c.after);
  EXPECT_EQ(HID::DeviceFamily, c.family);
  EXPECT_EQ(HID::BytesPerPacket, 40);
}

INSTANTIATE_TEST_SUITE_P(Families, FamilyTableTest,
                         ::testing::Values(FamilyCase{1, 0, 1, HID::QueryEvaluation::Known},
                                           FamilyCase{2, 0, 2, HID::QueryEvaluation::Known},
                                           FamilyCase{3, 2, 1, HID::QueryEvaluation::Known},
                                           FamilyCase{4, 0, 0, HID::QueryEvaluation::UnknownFamily},
                                           FamilyCase{0, 2, 2, HID::QueryEvaluation::UnknownFamily},
                                           FamilyCase{255, 1, 1, HID::QueryEvaluation::UnknownFamily}));

TEST_F(QueryDeviceTest, WrongOrShortAnswerSetsNothing) {
  Ref<MemoryBlock> wrong = QueryReply(56, 1, {});
  wrong->set_UInt8Value(0, 0x07);
  EXPECT_EQ(HID::EvaluateQueryDeviceReply(*wrong), HID::QueryEvaluation::WrongAnswer);
  Ref<MemoryBlock> shortReply = framework::NewMemoryBlock(2);
  shortReply->set_UInt8Value(0, 0x02);
  shortReply->set_UInt8Value(1, 56);
  EXPECT_EQ(HID::EvaluateQueryDeviceReply(*shortReply), HID::QueryEvaluation::TooShort);
  EXPECT_EQ(HID::BytesPerPacket, 0);
  EXPECT_EQ(HID::DeviceFamily, 0);
  EXPECT_EQ(HID::bytesPerAddress, 0);
}

struct UnusableCase {
  const char* name;
  int32_t bytesPerAddress;
  std::vector<RegionEntry> entries;
  int32_t replySize;  // the reply is cut to this many bytes
};

void PrintTo(const UnusableCase& c, std::ostream* os) { *os << c.name; }

class UnusableReplyTest : public hidtest::ModuleTest, public ::testing::WithParamInterface<UnusableCase> {};

TEST_P(UnusableReplyTest, IsRefusedAndChangesNoRegion) {
  const UnusableCase& c = GetParam();
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *QueryReply(56, 1, {{1, 0x1000, 16}})));
  const HID::MemoryRegion* before = HID::MemoryRegions[0].get();

  HID::bytesPerAddress = c.bytesPerAddress;
  Ref<MemoryBlock> full = QueryReply(56, 1, c.entries);
  Ref<MemoryBlock> reply = framework::NewMemoryBlock(c.replySize);
  for (int32_t i = 0; i < c.replySize; ++i) reply->set_UInt8Value(i, full->UInt8Value(i));

  EXPECT_FALSE(HID::ParseMemoryRegions(bound, *reply));
  EXPECT_EQ(HID::memoryRegionsDetected, 1);
  ASSERT_EQ(HID::MemoryRegions.size(), 1u);
  EXPECT_EQ(HID::MemoryRegions[0].get(), before);
  EXPECT_TRUE(messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Entries, UnusableReplyTest,
    ::testing::Values(UnusableCase{"NegativeSize", 1, {{1, 0, -1}}, 64},
                      UnusableCase{"NegativeSizeAfterAGoodEntry", 1, {{1, 0, 16}, {3, 0x300000, -14}}, 64},
                      UnusableCase{"ImageSizeDoesNotFitOneBytePerAddress", 1, {{1, 0, 0x7FFFFFF6}}, 64},
                      UnusableCase{"ImageSizeDoesNotFitTwoBytesPerAddress", 2, {{1, 0, 0x40000000}}, 64},
                      UnusableCase{"EntryPastTheEndOfAShortReply", 1, {{1, 0, 16}, {3, 0x300000, 14}}, 20},
                      UnusableCase{"NoEndMarkInAShortReply", 1, {{1, 0, 16}}, 12},
                      // More image than any device of these families has, refused before any
                      // of it is allocated.
                      UnusableCase{"SixRegionsOfTwoGigaAddresses", 1,
                                   std::vector<RegionEntry>(6, RegionEntry{1, 0x1000, 0x7FFFFFF0}), 64},
                      UnusableCase{
                          "TwoRegionsPastTheLimitInAll", 1, {{1, 0, 0x2000000}, {3, 0x4000000, 0x2000000}}, 64},
                      UnusableCase{"TwoBytesPerAddressPastTheLimit", 2, {{1, 0, 0x2000000}}, 64}),
    [](const auto& info) { return std::string(info.param.name); });

// The limit counts whole images, spare bytes included: up to it a reply is usable.
TEST_F(QueryDeviceTest, RegionsOfExactlyTheLimitAreListed) {
  const int32_t size = int32_t((HID::kMaxImageBytes - 2 * HID::kImageSpareBytes) / 2);
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *QueryReply(56, 1, {{1, 0, size}, {3, size, size}})));
  ASSERT_EQ(HID::MemoryRegions.size(), 2u);
  EXPECT_EQ(HID::MemoryRegions[1]->data->Size(), size + 10);
}

}  // namespace
