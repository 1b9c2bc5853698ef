#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "protocol/hid.h"
#include "trace_fixture.h"

namespace {

using hidtest::QueryReply;
using tracetest::Block;
using tracetest::Counting;
using tracetest::HexOf;
using tracetest::Packet;
using tracetest::TraceTest;
using Lines = std::vector<std::string>;

// Traces a PROGRAM_DEVICE packet of one byte, which goes to the log file.
void TraceProgramByte(const HID::BoundMembers& bound, uint32_t address, uint8_t byte) {
  HID::DebugSendCommand(bound, *Block(Packet(HID::PROGRAM_DEVICE, address, 1, {byte})));
}

std::string Contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Lists a region of its own, with an image of `image_size` bytes (or none).
void AddRegion(int32_t type, int32_t address, int32_t size, int32_t image_size) {
  auto region = framework::make<HID::MemoryRegion>();
  region->Type = type;
  region->Address = address;
  region->Size = size;
  if (image_size >= 0) {
    region->data = framework::NewMemoryBlock(image_size);
    for (int32_t i = 0; i < image_size; ++i) region->data->set_UInt8Value(i, static_cast<uint8_t>(i + 1));
  }
  HID::MemoryRegions.push_back(region);
}

TEST_F(TraceTest, InitLogCreatesTheNamedFileInTheApplicationFolder) {
  HID::InitLog("Debug");
  ASSERT_TRUE(HID::logfile);
  EXPECT_EQ(folder.Files(), (Lines{"Debug"}));
  TraceProgramByte(bound, 0x800, 0x01);
  EXPECT_EQ(Contents(folder.path() / "Debug"), "Address: 000800 01\n");
}

TEST_F(TraceTest, AnotherInitLogReplacesTheLogFile) {
  HID::InitLog("Debug");
  TraceProgramByte(bound, 0x800, 0x01);
  HID::InitLog("Memory.txt");
  TraceProgramByte(bound, 0x801, 0x02);
  EXPECT_EQ(folder.Lines("Debug"), (Lines{"Address: 000800 01"}));
  EXPECT_EQ(folder.Lines("Memory.txt"), (Lines{"Address: 000801 02"}));
}

class UncreatableLogTest : public TraceTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(UncreatableLogTest, LeavesNoLogFileAndTheTraceWritesNoFileLines) {
  std::filesystem::create_directory(folder.path() / "Memory.txt");  // a folder, not a file
  HID::InitLog("Debug");
  TraceProgramByte(bound, 0x800, 0x01);
  HID::InitLog(GetParam());
  EXPECT_FALSE(HID::logfile);
  TraceProgramByte(bound, 0x801, 0x02);
  HID::DebugReadCommand(bound, *Block(Packet(HID::GET_DATA, 0x802, 1, {0x03})));
  EXPECT_EQ(folder.Lines("Debug"), (Lines{"Address: 000800 01"}));
  EXPECT_EQ(folder.Files(), (Lines{"Debug", "Memory.txt"}));
  EXPECT_TRUE(messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Names, UncreatableLogTest, ::testing::Values("", "no-such-folder/Debug", "Memory.txt"));

TEST_F(TraceTest, DumpMemoryRegionsWritesEachImageInLinesOf58Bytes) {
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *QueryReply(56, 1, {{1, 0x800, 130}})));
  std::vector<uint8_t> image = Counting(130);
  for (size_t i = 0; i < image.size(); ++i)
    HID::MemoryRegions[0]->data->set_UInt8Value(static_cast<int64_t>(i), image[i]);
  HID::DumpMemoryRegions(bound);
  EXPECT_EQ(folder.Lines("Memory.txt"), (Lines{
                                            "Address: 000800 " + HexOf(image, 0, 58),
                                            "Address: 00083A " + HexOf(image, 58, 58),
                                            "Address: 000874 " + HexOf(image, 116, 14),
                                        }));
}

// Family 2 holds two image bytes per address: the dump shows all of them,
// each line at the address programming sends its first byte to.
TEST_F(TraceTest, DumpMemoryRegionsWritesTheWholeFamily2Image) {
  HID::bytesPerAddress = 2;
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *QueryReply(56, 2, {{1, 0x800, 40}})));
  std::vector<uint8_t> image = Counting(80);
  for (size_t i = 0; i < image.size(); ++i)
    HID::MemoryRegions[0]->data->set_UInt8Value(static_cast<int64_t>(i), image[i]);
  HID::DumpMemoryRegions(bound);
  EXPECT_EQ(folder.Lines("Memory.txt"), (Lines{
                                            "Address: 000800 " + HexOf(image, 0, 58),
                                            "Address: 00081D " + HexOf(image, 58, 22),
                                        }));
}

TEST_F(TraceTest, DumpMemoryRegionsTakesEveryRegionInOrder) {
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *QueryReply(56, 1, {{1, 0x1000, 3}, {0, 0x2000, 0}, {3, 0x300000, 2}})));
  HID::DumpMemoryRegions(bound);
  EXPECT_EQ(folder.Lines("Memory.txt"), (Lines{"Address: 001000 FFFFFF", "Address: 300000 FFFF"}));
}

TEST_F(TraceTest, DumpMemoryRegionsReplacesTheConsoleLogForTheLaterTraces) {
  HID::InitLog("Debug");
  TraceProgramByte(bound, 0x800, 0x01);
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *QueryReply(56, 1, {{1, 0x1000, 1}})));
  HID::DumpMemoryRegions(bound);
  TraceProgramByte(bound, 0x1000, 0x02);
  EXPECT_EQ(folder.Lines("Debug"), (Lines{"Address: 000800 01"}));
  EXPECT_EQ(folder.Lines("Memory.txt"), (Lines{"Address: 001000 FF", "Address: 001000 02"}));
}

TEST_F(TraceTest, DumpMemoryRegionsStopsWhereAnImageEnds) {
  AddRegion(1, 0x1000, 100, 3);  // Size beyond the image
  AddRegion(1, 0x2000, 5, -1);   // no image at all
  AddRegion(1, 0x3000, 1, 11);
  HID::DumpMemoryRegions(bound);
  EXPECT_EQ(folder.Lines("Memory.txt"), (Lines{"Address: 001000 010203", "Address: 003000 01"}));
}

TEST_F(TraceTest, DumpMemoryRegionsWrapsAddressesAsTheDeviceDoes) {
  AddRegion(1, 0x7FFFFFF0, 60, 70);
  HID::DumpMemoryRegions(bound);
  const std::vector<uint8_t> image = Counting(60);
  EXPECT_EQ(folder.Lines("Memory.txt"),
            (Lines{"Address: 7FFFFFF0 " + HexOf(image, 0, 58), "Address: 8000002A " + HexOf(image, 58, 2)}));
}

TEST_F(TraceTest, DumpMemoryRegionsWithoutAFileWritesNothing) {
  std::filesystem::create_directory(folder.path() / "Memory.txt");
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *QueryReply(56, 1, {{1, 0x1000, 3}})));
  HID::DumpMemoryRegions(bound);
  EXPECT_FALSE(HID::logfile);
  EXPECT_EQ(folder.Files(), (Lines{"Memory.txt"}));
  EXPECT_TRUE(std::filesystem::is_empty(folder.path() / "Memory.txt"));
}

struct RegionTraceCase {
  const char* name;
  std::vector<hidtest::RegionEntry> entries;
  Lines debug;
};

void PrintTo(const RegionTraceCase& c, std::ostream* os) { *os << c.name; }

class RegionTraceTest : public TraceTest, public ::testing::WithParamInterface<RegionTraceCase> {};

TEST_P(RegionTraceTest, ParseMemoryRegionsReportsTheRegionsItHasRead) {
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *QueryReply(0x38, 2, GetParam().entries)));
  EXPECT_EQ(DebugLines(), GetParam().debug);
  EXPECT_TRUE(folder.Files().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Replies, RegionTraceTest,
    ::testing::Values(RegionTraceCase{"TwoRegions",
                                      {{1, 0, 22528}, {3, 0xF80000, 12}},
                                      {"2 MemoryRegions", "1 0 22528", "3 F80000 12"}},
                      RegionTraceCase{"NoRegion", {}, {"0 MemoryRegions"}},
                      RegionTraceCase{"NegativeAddress", {{254, -1, 4}}, {"1 MemoryRegions", "254 FFFFFFFF 4"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TraceTest, EachParseReportsEveryRegionListedSoFar) {
  framework::Ref<framework::MemoryBlock> reply = QueryReply(0x38, 2, {{1, 0, 22528}, {3, 0xF80000, 12}});
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *reply));
  debug_log.clear();
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *reply));
  EXPECT_EQ(DebugLines(), (Lines{"4 MemoryRegions", "1 0 22528", "3 F80000 12", "1 0 22528", "3 F80000 12"}));
}

TEST_F(TraceTest, ARefusedReplyReportsNothing) {
  EXPECT_FALSE(HID::ParseMemoryRegions(bound, *QueryReply(0x38, 2, {{1, 0, -1}})));
  EXPECT_TRUE(DebugLines().empty());
}

}  // namespace
