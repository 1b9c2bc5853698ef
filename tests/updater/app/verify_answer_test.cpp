// The compare of one GET_DATA answer with a region image: which differing
// bytes a family-2 answer ignores, which it shows as "Error1" or "Error2"
// without failing, and which fail the verification.
#include <ostream>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/memoryblock.h"
#include "protocol/packets.h"
#include "protocol/query_device.h"
#include "updater/verify_answer.h"

namespace {

using framework::MemoryBlock;
using framework::Ref;

constexpr int32_t kCount = 56;

struct AnswerCase {
  friend void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  int32_t bytes_per_address;
  int32_t address;                 // of the request and its answer
  std::vector<int32_t> differing;  // answer bytes that differ from the image
  std::vector<std::string> shown;  // the messages, in order
  bool failed;
};

class CompareAnswerTest : public testing::TestWithParam<AnswerCase> {};

TEST_P(CompareAnswerTest, ShowsAndCountsAsTheRulesSay) {
  const AnswerCase& c = GetParam();
  // A region from address 0 that holds both 0 and 0x1400, its image erased.
  Ref<HID::MemoryRegion> region = framework::make<HID::MemoryRegion>();
  region->Type = 1;
  region->Address = 0;
  region->Size = 0x2000;
  region->data = framework::NewMemoryBlock(int64_t(region->Size) * c.bytes_per_address + HID::kImageSpareBytes);
  for (int64_t i = 0; i < int64_t(region->Size) * c.bytes_per_address; ++i) region->data->set_UInt8Value(i, 0xFF);

  Ref<MemoryBlock> report = framework::NewMemoryBlock(HID::kPacketSize);
  report->set_LittleEndian(true);
  report->set_UInt8Value(0, HID::GET_DATA);
  report->set_Int32Value(HID::kPacketAddressOffset, c.address);
  report->set_UInt8Value(HID::kPacketCountOffset, kCount);
  for (int32_t j = 0; j < kCount; ++j) report->set_UInt8Value(HID::GetDataReplyDataOffset(kCount) + j, 0xFF);
  for (int32_t j : c.differing) report->set_UInt8Value(HID::GetDataReplyDataOffset(kCount) + j, 0x5A);

  updater::VerifyState state;
  std::vector<std::string> shown;
  updater::CompareAnswer(*report, {c.address, kCount}, *region, c.bytes_per_address, state,
                         [&](const framework::String& text) { shown.push_back(text.utf8()); });
  EXPECT_EQ(shown, c.shown);
  EXPECT_EQ(state.failed, c.failed);
}

// Bytes 3, 7, 11 ... are every fourth byte of the answer; 0, 5 and 10 are not.
INSTANTIATE_TEST_SUITE_P(
    Rules, CompareAnswerTest,
    testing::Values(
        AnswerCase{"Family2At0x1400ShowsError1ForEachByte",
                   2,
                   0x1400,
                   {0, 3, 5, 7, 10},
                   {"Error1", "Error1", "Error1"},
                   false},
        AnswerCase{"Family2At0ShowsError2ForEachByte", 2, 0, {0, 3, 5, 7, 10}, {"Error2", "Error2", "Error2"}, false},
        AnswerCase{
            "Family2ElsewhereFails", 2, 0x1000, {0, 3, 5, 7, 10}, {"Verification failed on address 001000"}, true},
        AnswerCase{"Family2At0x1400IgnoresEveryFourthByteSilently", 2, 0x1400, {3, 7, 11}, {}, false},
        AnswerCase{"Family1At0x1400Fails", 1, 0x1400, {5, 10}, {"Verification failed on address 001405"}, true},
        AnswerCase{"Family1At0Fails", 1, 0, {0}, {"Verification failed on address 000000"}, true}),
    [](const testing::TestParamInfo<AnswerCase>& info) { return info.param.name; });

}  // namespace
