#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "protocol/hid.h"
#include "trace_fixture.h"

namespace {

using hidtest::Bytes;
using tracetest::Block;
using tracetest::Counting;
using tracetest::HexOf;
using tracetest::Packet;

enum class Direction { Sent, Read };

struct PacketCase {
  const char* name;
  Direction direction;
  std::vector<uint8_t> packet;
  std::vector<std::string> debug;  // lines of the system debug log
  std::vector<std::string> file;   // lines of the log file
};

void PrintTo(const PacketCase& c, std::ostream* os) { *os << c.name; }

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t n) {
  bytes.resize(n);
  return bytes;
}

// A GET_DATA answer as the device sends it: the count bytes right-aligned.
std::vector<uint8_t> RightAligned(uint32_t address, uint8_t count) {
  std::vector<uint8_t> p = Packet(HID::GET_DATA, address, count);
  for (size_t j = 0; j < count; ++j) p[64 - count + j] = static_cast<uint8_t>(0xA0 + j);
  return p;
}

const std::vector<uint8_t> k58 = Counting(58);

const PacketCase kCases[] = {
    {"QueryDevice", Direction::Sent, Packet(0x02, 0, 0), {"Sending QUERY_DEVICE."}, {}},
    {"EraseDevice", Direction::Sent, Packet(0x04, 0, 0), {"Sending ERASE_DEVICE."}, {}},
    {"ProgramComplete", Direction::Sent, Packet(0x06, 0, 0), {"Sending PROGRAM_COMPLETE."}, {}},
    {"GetData", Direction::Sent, Packet(0x07, 0x1400, 58), {"Sending GET_DATA. Address: 1400"}, {}},
    {"GetDataAddressIsSigned",
     Direction::Sent,
     Packet(0x07, 0xFFFFFFFF, 58),
     {"Sending GET_DATA. Address: FFFFFFFF"},
     {}},
    {"GetDataShortBlock", Direction::Sent, {0x07, 0x00, 0x14}, {"Sending GET_DATA. Address: 1400"}, {}},
    {"ResetDevice", Direction::Sent, Packet(0x08, 0, 0), {"Sending RESET_DEVICE."}, {}},
    {"OtherCode", Direction::Sent, Packet(0x10, 0, 0), {"Sending 10"}, {}},
    {"CodeZero", Direction::Sent, Packet(0x00, 0, 0), {"Sending 0"}, {}},
    {"CodeFF", Direction::Sent, Packet(0xFF, 0x1400, 58), {"Sending FF"}, {}},
    {"ProgramDevice", Direction::Sent, Packet(0x05, 0x800, 3, {0x01, 0xAB, 0xFF}), {}, {"Address: 000800 01ABFF"}},
    {"ProgramDeviceFull", Direction::Sent, Packet(0x05, 0x800, 58, k58), {}, {"Address: 000800 " + HexOf(k58)}},
    {"ProgramDeviceShowsCountBytesFromByte6",
     Direction::Sent,
     Packet(0x05, 0x800, 16, k58),
     {},
     {"Address: 000800 " + HexOf(k58, 0, 16)}},
    {"ProgramDeviceCountZero", Direction::Sent, Packet(0x05, 0x800, 0, k58), {}, {"Address: 000800 "}},
    {"ProgramDeviceWideAddress", Direction::Sent, Packet(0x05, 0x1234567, 1, {0x5A}), {}, {"Address: 1234567 5A"}},
    {"ProgramDeviceCountPastThePacket",
     Direction::Sent,
     Packet(0x05, 0x800, 0xFF, k58),
     {},
     {"Address: 000800 " + HexOf(k58)}},
    {"ProgramDeviceShortBlock",
     Direction::Sent,
     Cut(Packet(0x05, 0x800, 58, k58), 10),
     {},
     {"Address: 000800 01020304"}},
    {"GetDataAnswer", Direction::Read, Packet(0x07, 0x1400, 58, k58), {}, {"Address: 001400 " + HexOf(k58)}},
    {"GetDataAnswerShowsCountBytesFromByte6",
     Direction::Read,
     RightAligned(0x1400, 16),
     {},
     {"Address: 001400 " + std::string(32, '0')}},
    {"GetDataAnswerCountPastThePacket",
     Direction::Read,
     Packet(0x07, 0x1400, 200, k58),
     {},
     {"Address: 001400 " + HexOf(k58)}},
    {"GetDataAnswerOf63Bytes",
     Direction::Read,
     Cut(Packet(0x07, 0x1400, 58, k58), 63),
     {},
     {"Address: 001400 " + HexOf(k58, 0, 57)}},
    {"QueryDeviceAnswer", Direction::Read, Packet(0x02, 0x1400, 58, k58), {}, {}},
    {"ProgramDeviceAnswer", Direction::Read, Packet(0x05, 0x1400, 58, k58), {}, {}},
    {"EmptyAnswer", Direction::Read, {}, {}, {}},
};

class PacketTraceTest : public tracetest::TraceTest, public ::testing::WithParamInterface<PacketCase> {
 protected:
  // Traces the case's packet and checks that the trace left it as it was.
  void Trace() {
    framework::Ref<framework::MemoryBlock> block = Block(GetParam().packet);
    if (GetParam().direction == Direction::Sent) {
      HID::DebugSendCommand(bound, *block);
    } else {
      HID::DebugReadCommand(bound, *block);
    }
    EXPECT_EQ(Bytes(*block), GetParam().packet);
  }
};

TEST_P(PacketTraceTest, WritesItsLinesToTheDebugLogAndTheLogFile) {
  HID::InitLog("Debug");
  ASSERT_TRUE(HID::logfile);
  Trace();
  EXPECT_EQ(DebugLines(), GetParam().debug);
  EXPECT_EQ(folder.Lines("Debug"), GetParam().file);
  EXPECT_TRUE(messages.empty());
}

TEST_P(PacketTraceTest, WithoutALogFileOnlyTheDebugLogLinesAppear) {
  Trace();
  EXPECT_EQ(DebugLines(), GetParam().debug);
  EXPECT_TRUE(folder.Files().empty());
  EXPECT_TRUE(messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Packets, PacketTraceTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
