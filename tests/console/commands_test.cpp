// The console's command buttons over a simulated bootloader: the packets
// they send, the hex they show, the module data Query Device sets, and the
// replies they refuse without quitting.
#include <ostream>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console_run.h"
#include "protocol/module.h"

namespace {

using consoletest::ConsoleRun;
using consoletest::HexOf;

std::vector<uint8_t> Packet(uint8_t command) {
  std::vector<uint8_t> p(64, 0);
  p[0] = command;
  return p;
}

// The bytes of a hex text as the console shows it.
std::vector<uint8_t> FromHex(const std::string& hex) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

sim::Config WithPacketSize(uint8_t bytes_per_packet) {
  sim::Config c = sim::preset(sim::Preset::family1);
  c.bytes_per_packet = bytes_per_packet;
  return c;
}

TEST(QueryDeviceTest, SetsTheDeviceDataAndAppendsTheRegionsEachTime) {
  ConsoleRun r;
  ASSERT_TRUE(r.open());
  ASSERT_TRUE(r.command("PushButton2"));
  EXPECT_EQ(r.last_sent(), Packet(0x02));
  EXPECT_EQ(r.console().Versendet().Text().utf8(), HexOf(Packet(0x02)));
  const std::vector<uint8_t> reply = FromHex(r.console().Empfangen().Text().utf8());
  ASSERT_EQ(reply.size(), 64u);
  EXPECT_EQ(reply[0], 0x02);
  EXPECT_EQ(r.messages(), std::vector<std::string>{"BytesPerPacket: 56\nDeviceFamily: 1\nbytesPerAddress: 1"});
  EXPECT_EQ(HID::BytesPerPacket, 56);
  EXPECT_EQ(HID::DeviceFamily, 1);
  const int32_t regions = HID::memoryRegionsDetected;
  EXPECT_EQ(regions, 2);

  ASSERT_TRUE(r.command("PushButton2"));
  EXPECT_EQ(HID::memoryRegionsDetected, 2 * regions);
  EXPECT_EQ(HID::MemoryRegions.size(), size_t(2 * regions));
  EXPECT_FALSE(r.session().finished());
}

TEST(QueryDeviceTest, ListsTheRegionsOnlyAfterItsMessageBoxIsClosed) {
  ConsoleRun r(sim::preset(sim::Preset::family1), apptest::MessageBoxes::LeftToTheTest);
  ASSERT_TRUE(r.open());
  ASSERT_TRUE(r.press("PushButton2"));
  ASSERT_TRUE(r.session().run_until([&] { return r.session().message_box().has_value(); }));
  EXPECT_EQ(*r.session().message_box(), "BytesPerPacket: 56\nDeviceFamily: 1\nbytesPerAddress: 1");
  EXPECT_EQ(HID::memoryRegionsDetected, 0);
  EXPECT_TRUE(HID::MemoryRegions.empty());
  ASSERT_TRUE(r.session().answer_message_box());
  EXPECT_EQ(HID::memoryRegionsDetected, 2);
  EXPECT_EQ(HID::MemoryRegions.size(), 2u);
}

TEST(QueryDeviceTest, UnknownFamilyAddsALineAndKeepsBytesPerAddress) {
  sim::Config c = sim::preset(sim::Preset::family1);
  c.faults.unknown_family = 5;
  ConsoleRun r(c);
  ASSERT_TRUE(r.open());
  HID::bytesPerAddress = 2;  // left from an earlier device
  ASSERT_TRUE(r.command("PushButton2"));
  EXPECT_EQ(r.messages(),
            std::vector<std::string>{"BytesPerPacket: 56\nDeviceFamily: 5\nUnbekanntes Gerät: 5\nbytesPerAddress: 2"});
  EXPECT_EQ(HID::BytesPerPacket, 56);
  EXPECT_EQ(HID::DeviceFamily, 5);
  EXPECT_EQ(HID::bytesPerAddress, 2);
  // The regions are read all the same.
  EXPECT_EQ(HID::memoryRegionsDetected, int32_t(c.regions.size()));
}

// A reply whose regions would need gigabytes of image is refused as in the
// update, and the console stays usable.
TEST(QueryDeviceTest, ClaimedRegionsPastTheLimitAreRefused) {
  sim::Config c = sim::preset(sim::Preset::family1);
  c.faults.claim_size = 0x7FFFFFF0;
  ConsoleRun r(c);
  ASSERT_TRUE(r.open());
  ASSERT_TRUE(r.command("PushButton2"));
  EXPECT_EQ(r.messages(), (std::vector<std::string>{"BytesPerPacket: 56\nDeviceFamily: 1\nbytesPerAddress: 1",
                                                    "Unbrauchbare Speicherbereiche vom Gerät."}));
  EXPECT_EQ(HID::memoryRegionsDetected, 0);
  EXPECT_TRUE(HID::MemoryRegions.empty());
  EXPECT_FALSE(r.session().finished());
}

TEST(QueryDeviceTest, WrongAnswerChangesNoDeviceData) {
  sim::Config c = sim::preset(sim::Preset::family1);
  c.faults.wrong_command = 9;
  ConsoleRun r(c);
  ASSERT_TRUE(r.open());
  ASSERT_TRUE(r.command("PushButton2"));
  EXPECT_EQ(r.messages(), std::vector<std::string>{"Falsche Antwort vom Gerät.\n\n9"});
  EXPECT_EQ(HID::BytesPerPacket, 0);
  EXPECT_EQ(HID::memoryRegionsDetected, 0);
  EXPECT_EQ(r.console().Empfangen().Text().utf8().substr(0, 2), "09");
  EXPECT_FALSE(r.session().finished());
}

TEST(QueryDeviceTest, SilentDeviceEndsTheWaitWithAMessage) {
  sim::Config c = sim::preset(sim::Preset::family1);
  c.faults.no_query_reply = true;
  ConsoleRun r(c);
  ASSERT_TRUE(r.open());
  ASSERT_TRUE(r.command("PushButton2"));
  EXPECT_EQ(r.messages(), std::vector<std::string>{"Keine Antwort vom Gerät."});
  EXPECT_EQ(r.console().Versendet().Text().utf8(), HexOf(Packet(0x02)));
  EXPECT_EQ(r.console().Empfangen().Text().utf8(), "");
  // The console stays usable.
  ASSERT_TRUE(r.command("PushButton5"));
  EXPECT_EQ(r.last_sent(), Packet(0x06));
}

TEST(QueryDeviceTest, ConsoleClosedWhileWaitingEndsTheWaitSafely) {
  sim::Config c = sim::preset(sim::Preset::family1);
  c.faults.no_query_reply = true;
  ConsoleRun r(c);
  ASSERT_TRUE(r.open());
  ASSERT_TRUE(r.press("PushButton2"));
  ASSERT_TRUE(r.messages().empty());  // still waiting
  ASSERT_TRUE(r.session().close("ConsoleWindow"));
  r.session().run_until([] { return false; }, std::chrono::minutes(2));
  EXPECT_FALSE(r.session().finished());
  EXPECT_EQ(r.messages(), std::vector<std::string>{"Keine Antwort vom Gerät."});
  EXPECT_FALSE(r.session().window("ConsoleWindow"));
}

struct AddressCase {
  friend void PrintTo(const AddressCase& c, std::ostream* os) { *os << c.text; }
  const char* text;
  uint32_t address;
};

class ReadTest : public testing::TestWithParam<AddressCase> {};

TEST_P(ReadTest, AsksForBytesPerPacketAtTheAddressAndShowsReplyBytesFromSix) {
  ConsoleRun r;
  ASSERT_TRUE(r.open());
  ASSERT_TRUE(r.command("PushButton2"));
  ASSERT_TRUE(r.session().type("ConsoleWindow.iAddress", GetParam().text));
  ASSERT_TRUE(r.command("PushButton3"));
  std::vector<uint8_t> expected = Packet(0x07);
  const uint32_t a = GetParam().address;
  expected[1] = uint8_t(a);
  expected[2] = uint8_t(a >> 8);
  expected[3] = uint8_t(a >> 16);
  expected[4] = uint8_t(a >> 24);
  expected[5] = 56;
  EXPECT_EQ(r.last_sent(), expected);
  EXPECT_EQ(r.console().Versendet().Text().utf8(), HexOf(expected));
  const std::vector<uint8_t> reply = FromHex(r.console().Empfangen().Text().utf8());
  ASSERT_EQ(reply.size(), 64u);
  EXPECT_EQ(reply[0], 0x07);
  // Two bytes in front of the data, then the first 54 data bytes.
  EXPECT_EQ(r.console().output().Text().utf8(), HexOf(reply, 6, 56));
  EXPECT_EQ(r.messages().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Addresses, ReadTest,
                         testing::Values(AddressCase{"4096", 4096}, AddressCase{"&h1010", 0x1010},
                                         AddressCase{"&h10", 16}, AddressCase{"16", 16}));

TEST(ReadCommandTest, BeforeAnyQueryAsksForNoBytes) {
  ConsoleRun r;
  ASSERT_TRUE(r.open());
  ASSERT_TRUE(r.session().type("ConsoleWindow.output", "AB"));
  ASSERT_TRUE(r.command("PushButton3"));
  EXPECT_EQ(r.last_sent()[5], 0);
  EXPECT_EQ(r.last_sent()[0], 0x07);
  EXPECT_EQ(r.console().output().Text().utf8(), "");
}

TEST(ReadCommandTest, ShortReplyIsRefusedAndOutputKept) {
  sim::Config c = sim::preset(sim::Preset::family1);
  c.faults.short_report = 20;
  ConsoleRun r(c);
  ASSERT_TRUE(r.open());
  ASSERT_TRUE(r.command("PushButton2"));
  ASSERT_TRUE(r.session().type("ConsoleWindow.output", "AB"));
  ASSERT_TRUE(r.session().type("ConsoleWindow.iAddress", "&h1000"));
  ASSERT_TRUE(r.command("PushButton3"));
  ASSERT_EQ(r.messages().size(), 2u);
  EXPECT_EQ(r.messages()[1], "Antwort vom Gerät zu kurz.\n\n20");
  EXPECT_EQ(r.console().output().Text().utf8(), "AB");
  EXPECT_EQ(FromHex(r.console().Empfangen().Text().utf8()).size(), 20u);
}

TEST(QueryDeviceTest, ReportLeftInTheQueueIsTakenAsTheReply) {
  sim::Config c = sim::preset(sim::Preset::family1);
  c.faults.unsolicited_after = 0;  // one unasked report on connect
  ConsoleRun r(c);
  ASSERT_TRUE(r.open());
  // While the device erases, the unasked report is the only one queued.
  ASSERT_TRUE(r.press("PushButton7"));
  ASSERT_TRUE(r.command("PushButton2"));
  EXPECT_EQ(r.messages(), std::vector<std::string>{"Falsche Antwort vom Gerät.\n\n90"});
  EXPECT_EQ(HID::BytesPerPacket, 0);
  EXPECT_EQ(r.console().Empfangen().Text().utf8(), HexOf(std::vector<uint8_t>(64, 0x5A)));
}

struct WriteCase {
  friend void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  uint8_t bytes_per_packet;
  size_t data_bytes;
  std::vector<std::string> warnings;
};

class WriteTest : public testing::TestWithParam<WriteCase> {};

TEST_P(WriteTest, SendsTheDecodedDataFromByteSixAfterAnyWarnings) {
  const WriteCase& k = GetParam();
  ConsoleRun r(WithPacketSize(k.bytes_per_packet));
  ASSERT_TRUE(r.open());
  ASSERT_TRUE(r.command("PushButton2"));
  std::vector<uint8_t> data(k.data_bytes);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(0xA0 + i);
  ASSERT_TRUE(r.session().type("ConsoleWindow.output", HexOf(data)));
  ASSERT_TRUE(r.session().type("ConsoleWindow.iAddress", "&h1000"));
  const size_t before = r.messages().size();
  ASSERT_TRUE(r.command("PushButton4"));
  EXPECT_EQ(std::vector<std::string>(r.messages().begin() + before, r.messages().end()), k.warnings);

  std::vector<uint8_t> expected = Packet(0x05);
  expected[2] = 0x10;
  expected[5] = k.bytes_per_packet;
  for (size_t i = 0; i < data.size() && i < 58; ++i) expected[6 + i] = data[i];
  EXPECT_EQ(r.last_sent(), expected);
  EXPECT_EQ(r.console().Versendet().Text().utf8(), HexOf(expected));
  EXPECT_EQ(r.console().Empfangen().Text().utf8(), "");
}

INSTANTIATE_TEST_SUITE_P(Lengths, WriteTest,
                         testing::Values(WriteCase{"Exact", 58, 58, {}},
                                         WriteCase{
                                             "TooShort", 58, 10, {"Data is too short", "Data is length is wrong"}},
                                         WriteCase{"NotFiftyEight", 32, 32, {"Data is length is wrong"}}),
                         [](const testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

TEST(WriteCommandTest, PacketSizeAboveTheDataFieldSendsNothing) {
  ConsoleRun r(WithPacketSize(60));
  ASSERT_TRUE(r.open());
  ASSERT_TRUE(r.command("PushButton2"));
  const size_t sent = r.run->link().sent().size();
  ASSERT_TRUE(r.command("PushButton3"));
  ASSERT_TRUE(r.command("PushButton4"));
  EXPECT_EQ(r.run->link().sent().size(), sent);
  EXPECT_EQ(r.console().Versendet().Text().utf8(), "");
  const std::vector<std::string>& m = r.messages();
  ASSERT_GE(m.size(), 3u);
  EXPECT_EQ(m[1], "Ungültige Paketgröße.\n\n60");
  EXPECT_EQ(m.back(), "Ungültige Paketgröße.\n\n60");
}

struct PlainCase {
  friend void PrintTo(const PlainCase& c, std::ostream* os) { *os << c.button; }
  const char* button;
  uint8_t command;
};

class PlainCommandTest : public testing::TestWithParam<PlainCase> {};

TEST_P(PlainCommandTest, SendsItsPacketAndReadsNoReply) {
  ConsoleRun r;
  ASSERT_TRUE(r.open());
  ASSERT_TRUE(r.command("PushButton2"));
  ASSERT_TRUE(r.session().type("ConsoleWindow.output", "1234"));
  ASSERT_TRUE(r.command(GetParam().button));
  EXPECT_EQ(r.last_sent(), Packet(GetParam().command));
  EXPECT_EQ(r.console().Versendet().Text().utf8(), HexOf(Packet(GetParam().command)));
  EXPECT_EQ(r.console().Empfangen().Text().utf8(), "");
  EXPECT_EQ(r.console().output().Text().utf8(), "1234");
}

INSTANTIATE_TEST_SUITE_P(Commands, PlainCommandTest,
                         testing::Values(PlainCase{"PushButton5", 0x06}, PlainCase{"PushButton7", 0x04}),
                         [](const testing::TestParamInfo<PlainCase>& info) {
                           return info.param.command == 0x06 ? std::string("Complete") : std::string("Erase");
                         });

}  // namespace
