#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "module_fixture.h"

namespace {

using framework::MemoryBlock;
using framework::Ref;
using hidtest::Bytes;
using Bound = HID::BoundMembers;

std::string DataOf(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s.push_back(static_cast<char>(i + 1));
  return s;
}

struct PacketCase {
  const char* name;
  std::function<Ref<MemoryBlock>(const Bound& bound)> build;
  bool nil;
  std::vector<uint8_t> head;  // the first bytes; the rest are zero
  std::vector<std::string> messages;
};

std::vector<uint8_t> WithData(std::vector<uint8_t> head, int n) {
  for (int i = 0; i < n; ++i) head.push_back(static_cast<uint8_t>(i + 1));
  return head;
}

const std::vector<PacketCase>& Cases() {
  static const std::vector<PacketCase> cases = {
      {"QueryDevice", [](const Bound&) { return HID::GetQueryDeviceCommand(); }, false, {0x02}, {}},
      {"EraseDevice", [](const Bound&) { return HID::GetEraseDeviceCommand(); }, false, {0x04}, {}},
      {"ProgramComplete", [](const Bound&) { return HID::GetProgramCompleteCommand(); }, false, {0x06}, {}},
      {"GetDataFullPacket",
       [](const Bound&) { return HID::GetGetDataCommand(0x1400, 58); },
       false,
       {0x07, 0x00, 0x14, 0x00, 0x00, 0x3A},
       {}},
      {"GetDataTooLargeIsNilSilently", [](const Bound&) { return HID::GetGetDataCommand(0x1400, 59); }, true, {}, {}},
      {"GetDataAllOnesAddress",
       [](const Bound&) { return HID::GetGetDataCommand(-1, 0); },
       false,
       {0x07, 0xFF, 0xFF, 0xFF, 0xFF, 0x00},
       {}},
      {"GetDataNegativeSizeKeepsLowByte",
       [](const Bound&) { return HID::GetGetDataCommand(0, -2); },
       false,
       {0x07, 0, 0, 0, 0, 0xFE},
       {}},
      {"ProgramDevice",
       [](const Bound& b) { return HID::GetProgramDeviceCommand(b, 0x800, 16, DataOf(58)); },
       false,
       WithData({0x05, 0x00, 0x08, 0x00, 0x00, 0x10}, 58),
       {}},
      {"ProgramDeviceAllOnesAddress",
       [](const Bound& b) { return HID::GetProgramDeviceCommand(b, -1, 58, DataOf(58)); },
       false,
       WithData({0x05, 0xFF, 0xFF, 0xFF, 0xFF, 0x3A}, 58),
       {}},
      {"ProgramDeviceShortDataWarnsLength",
       [](const Bound& b) { return HID::GetProgramDeviceCommand(b, 0x800, 10, DataOf(16)); },
       false,
       WithData({0x05, 0x00, 0x08, 0x00, 0x00, 0x0A}, 16),
       {"Data is length is wrong"}},
      {"ProgramDeviceDataShorterThanSizeWarnsTwice",
       [](const Bound& b) { return HID::GetProgramDeviceCommand(b, 0x800, 20, DataOf(10)); },
       false,
       WithData({0x05, 0x00, 0x08, 0x00, 0x00, 0x14}, 10),
       {"Data is too short", "Data is length is wrong"}},
      {"ProgramDeviceLongDataIsCutAtTheField",
       [](const Bound& b) { return HID::GetProgramDeviceCommand(b, 0, 16, DataOf(70)); },
       false,
       WithData({0x05, 0, 0, 0, 0, 0x10}, 58),
       {"Data is length is wrong"}},
      {"ProgramDeviceTooLargeWarnsThenNil",
       [](const Bound& b) { return HID::GetProgramDeviceCommand(b, 0x800, 60, DataOf(58)); },
       true,
       {},
       {"Data is too short"}},
      {"ProgramDeviceTooLargeWithWrongLength",
       [](const Bound& b) { return HID::GetProgramDeviceCommand(b, 0, 59, DataOf(10)); },
       true,
       {},
       {"Data is too short", "Data is length is wrong"}},
  };
  return cases;
}

void PrintTo(const PacketCase& c, std::ostream* os) { *os << c.name; }

class PacketTest : public hidtest::ModuleTest, public ::testing::WithParamInterface<PacketCase> {};

TEST_P(PacketTest, BuildsTheExpectedBytes) {
  const PacketCase& c = GetParam();
  Ref<MemoryBlock> packet = c.build(bound);
  EXPECT_EQ(messages, c.messages);
  if (c.nil) {
    EXPECT_FALSE(packet);
    return;
  }
  ASSERT_TRUE(packet);
  EXPECT_TRUE(packet->LittleEndian());
  std::vector<uint8_t> expected = c.head;
  expected.resize(64, 0);
  EXPECT_EQ(Bytes(*packet), expected);
}

INSTANTIATE_TEST_SUITE_P(Builders, PacketTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GetDataReplyTest, DataEndsAtTheLastByte) {
  EXPECT_EQ(HID::GetDataReplyDataOffset(58), 6);
  EXPECT_EQ(HID::GetDataReplyDataOffset(16), 48);
  EXPECT_EQ(HID::GetDataReplyDataOffset(16) + 15, 63);
}

}  // namespace
