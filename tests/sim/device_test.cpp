#include <sim/device.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Bytes = std::vector<uint8_t>;
using sim::Config;
using sim::Device;

Bytes packet(uint8_t command, uint32_t address = 0, uint8_t count = 0) {
  Bytes p(64, 0);
  p[0] = command;
  for (int i = 0; i < 4; ++i) p[1 + i] = static_cast<uint8_t>(address >> (8 * i));
  p[5] = count;
  return p;
}

// A PROGRAM_DEVICE packet as the host builds it: data right-aligned to byte 63.
Bytes program(uint32_t address, const Bytes& data) {
  Bytes p = packet(sim::kProgramDevice, address, static_cast<uint8_t>(data.size()));
  std::copy(data.begin(), data.end(), p.end() - static_cast<long>(data.size()));
  return p;
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  out.resize(64, 0);
  return out;
}

Config with_faults(std::vector<std::string> faults, std::vector<std::string> extra = {}) {
  std::vector<std::string> args = std::move(extra);
  for (auto& f : faults) {
    args.push_back("--fault");
    args.push_back(f);
  }
  return sim::parse_args(args).config;
}

struct ReplyCase {
  const char* name;
  std::vector<std::string> args;
  Bytes command;
  std::optional<Bytes> reply;  // nullopt: the device answers nothing
};

void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.name; }

class DeviceReplyTest : public testing::TestWithParam<ReplyCase> {};

TEST_P(DeviceReplyTest, AnswersWithTheseBytes) {
  const auto& c = GetParam();
  Device device(sim::parse_args(c.args).config);

  auto response = device.handle(c.command);

  if (!c.reply) {
    EXPECT_TRUE(response.reports.empty());
  } else {
    ASSERT_EQ(response.reports.size(), 1u);
    EXPECT_EQ(response.reports[0], *c.reply);
  }
}

Bytes get_data_reply(uint32_t address, uint8_t count, uint8_t value) {
  Bytes r = packet(sim::kGetData, address, count);
  std::fill(r.end() - count, r.end(), value);
  return r;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, DeviceReplyTest,
    testing::Values(
        ReplyCase{"query_default",
                  {},
                  packet(sim::kQueryDevice),
                  concat({{0x02, 0x38, 0x01},
                          {0x01, 0x00, 0x10, 0x00, 0x00, 0x00, 0x70, 0x00, 0x00},
                          {0x03, 0x00, 0x00, 0x30, 0x00, 0x0E, 0x00, 0x00, 0x00},
                          {0xFF}})},
        ReplyCase{"query_family2",
                  {"--preset", "family2"},
                  packet(sim::kQueryDevice),
                  concat({{0x02, 0x38, 0x02},
                          {0x01, 0x00, 0x04, 0x00, 0x00, 0x00, 0x54, 0x00, 0x00},
                          {0x02, 0x00, 0xFE, 0x7F, 0x00, 0x00, 0x02, 0x00, 0x00},
                          {0x03, 0x00, 0x00, 0xF8, 0x00, 0x0C, 0x00, 0x00, 0x00},
                          {0xFF}})},
        // Six regions fill the entry table: no room, and no need, for the end mark.
        ReplyCase{"query_six_regions",
                  {"--region", "1:1:1", "--region", "1:2:1", "--region", "1:3:1", "--region", "1:4:1", "--region",
                   "1:5:1", "--region", "1:6:1", "--bytes-per-packet", "0"},
                  packet(sim::kQueryDevice),
                  concat({{0x02, 0x00, 0x01},
                          {1, 1, 0, 0, 0, 1, 0, 0, 0},
                          {1, 2, 0, 0, 0, 1, 0, 0, 0},
                          {1, 3, 0, 0, 0, 1, 0, 0, 0},
                          {1, 4, 0, 0, 0, 1, 0, 0, 0},
                          {1, 5, 0, 0, 0, 1, 0, 0, 0},
                          {1, 6, 0, 0, 0, 1, 0, 0, 0}})},
        ReplyCase{"get_data_right_aligned", {}, packet(sim::kGetData, 0x1000, 4), get_data_reply(0x1000, 4, 0xFF)},
        ReplyCase{"get_data_full", {}, packet(sim::kGetData, 0x1038, 58), get_data_reply(0x1038, 58, 0xFF)},
        ReplyCase{"get_data_outside_reads_zero", {}, packet(sim::kGetData, 0x10, 3), get_data_reply(0x10, 3, 0x00)},
        ReplyCase{"get_data_over_58_is_cut", {}, packet(sim::kGetData, 0x1000, 60), get_data_reply(0x1000, 58, 0xFF)},
        ReplyCase{"erase_is_silent", {}, packet(sim::kEraseDevice), std::nullopt},
        ReplyCase{"program_is_silent", {}, program(0x1000, {1, 2}), std::nullopt},
        ReplyCase{"complete_is_silent", {}, packet(sim::kProgramComplete), std::nullopt},
        ReplyCase{"reset_is_silent", {}, packet(sim::kResetDevice), std::nullopt},
        ReplyCase{"unknown_is_ignored", {}, packet(0x33), std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceTest, ShortCommandReadsAsPaddedWithZeros) {
  Device device(Config{});
  auto response = device.handle(Bytes{sim::kQueryDevice});
  ASSERT_EQ(response.reports.size(), 1u);
  EXPECT_EQ(response.reports[0][1], 56);
}

TEST(DeviceTest, EraseClearsProgramMemoryOnlyAndKeepsTheDeviceBusy) {
  Config config;
  config.erase_ms = 123;
  Device device(config);
  sim::HexImage fill{{0x1000, 0x11}, {0x7FFF, 0x22}, {0x300000, 0x33}};
  device.fill(fill);

  auto response = device.handle(packet(sim::kEraseDevice));

  EXPECT_EQ(response.busy_ms, 123u);
  auto blocks = device.memory();
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].bytes, Bytes(0x7000, 0xFF));
  EXPECT_EQ(blocks[1].bytes[0], 0x33);
}

TEST(DeviceTest, ProgramStoresOnlyTheRightAlignedCountBytes) {
  Device device(Config{});
  Bytes p = program(0x1000, {0xA1, 0xA2, 0xA3});
  std::fill(p.begin() + 6, p.end() - 3, 0xEE);  // not data: must not be stored

  device.handle(p);

  auto reply = device.handle(packet(sim::kGetData, 0x1000, 4)).reports.at(0);
  EXPECT_EQ(Bytes(reply.end() - 4, reply.end()), (Bytes{0xA1, 0xA2, 0xA3, 0xFF}));
}

TEST(DeviceTest, WritesOutsideEveryRegionAreIgnoredAndCounted) {
  Device device(Config{});
  device.handle(program(0x0, {1, 2, 3, 4}));
  device.handle(program(0x7FFE, {5, 6, 7, 8}));  // two in, two past the end
  Bytes too_long = packet(sim::kProgramDevice, 0x1000, 59);
  std::fill(too_long.begin() + 6, too_long.end(), 9);
  device.handle(too_long);  // count above 58: ignored whole
  EXPECT_EQ(device.ignored_bytes(), 6u);
  auto blocks = device.memory();
  EXPECT_EQ(blocks[0].bytes[0], 0xFF);
  EXPECT_EQ(blocks[0].bytes[0x6FFE], 5);
  EXPECT_EQ(blocks[0].bytes[0x6FFF], 6);
}

struct FamilyCase {
  const char* name;
  sim::Preset preset;
};

void PrintTo(const FamilyCase& c, std::ostream* os) { *os << c.name; }

class DeviceFamilyTest : public testing::TestWithParam<FamilyCase> {};

// Erase, program every program region the way the host does, read it all back.
TEST_P(DeviceFamilyTest, ErasedProgrammedMemoryReadsBack) {
  Config config = sim::preset(GetParam().preset);
  const unsigned bpa = config.bytes_per_address();
  Device device(config);
  sim::HexImage config_fill;
  for (const auto& r : config.regions) {
    if (r.type == sim::kConfigRegion) config_fill[r.address * bpa] = 0x12;
  }
  device.fill(config_fill);
  device.handle(packet(sim::kEraseDevice));

  // Whole packets of bytes_per_packet rounded down to whole addresses.
  const unsigned per_packet = config.bytes_per_packet / bpa * bpa;
  auto pattern = [](uint64_t offset) { return static_cast<uint8_t>(offset * 7 + offset / 251); };
  for (const auto& r : config.regions) {
    if (r.type == sim::kConfigRegion) continue;
    const uint64_t bytes = uint64_t{r.size} * bpa;
    for (uint64_t off = 0; off < bytes; off += per_packet) {
      Bytes data;
      for (uint64_t j = off; j < std::min(bytes, off + per_packet); ++j) data.push_back(pattern(j));
      EXPECT_TRUE(device.handle(program(static_cast<uint32_t>(r.address + off / bpa), data)).reports.empty());
    }
    device.handle(packet(sim::kProgramComplete));
  }

  for (const auto& r : config.regions) {
    if (r.type == sim::kConfigRegion) continue;
    const uint64_t bytes = uint64_t{r.size} * bpa;
    for (uint64_t off = 0; off < bytes; off += per_packet) {
      const uint8_t count = static_cast<uint8_t>(std::min<uint64_t>(per_packet, bytes - off));
      const uint32_t address = static_cast<uint32_t>(r.address + off / bpa);
      auto reply = device.handle(packet(sim::kGetData, address, count)).reports.at(0);
      ASSERT_EQ(reply[0], sim::kGetData);
      ASSERT_EQ(reply[5], count);
      for (unsigned j = 0; j < count; ++j) ASSERT_EQ(reply[64 - count + j], pattern(off + j)) << address;
    }
  }
  for (const auto& block : device.memory()) {
    if (block.address == config.regions.back().address * bpa) {
      EXPECT_EQ(block.bytes[0], 0x12);  // the configuration region was left alone
      EXPECT_EQ(block.bytes[1], 0xFF);
    }
  }
  EXPECT_EQ(device.ignored_bytes(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Presets, DeviceFamilyTest,
                         testing::Values(FamilyCase{"family1", sim::Preset::family1},
                                         FamilyCase{"family2", sim::Preset::family2},
                                         FamilyCase{"family3", sim::Preset::family3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceTest, FamilyTwoPlacesTwoBytesPerAddressInTheDump) {
  Device device(sim::preset(sim::Preset::family2));
  device.handle(program(0x401, {0xAA, 0xBB, 0xCC, 0xDD}));
  sim::HexImage dump = sim::read_intel_hex(device.intel_hex());
  EXPECT_EQ(dump.at(0x802), 0xAA);
  EXPECT_EQ(dump.at(0x805), 0xDD);
  EXPECT_EQ(dump.at(0x800), 0xFF);
  EXPECT_EQ(dump.count(0xF00000 * 2 - 1), 0u);
}

Bytes read_back(Device& d, uint32_t address, uint8_t count) {
  return d.handle(packet(sim::kGetData, address, count)).reports.at(0);
}

// Regions that overlap: a read reaches the first region that holds the
// address, and the dump must show the same bytes, each address once.
struct OverlapCase {
  const char* name;
  std::vector<std::string> args;
  uint32_t from, to;      // device addresses programmed, across the overlap
  size_t bytes_in_total;  // byte addresses the regions cover together
};

void PrintTo(const OverlapCase& c, std::ostream* os) { *os << c.name; }

// The data bytes of every data record: an address written twice counts twice.
size_t data_bytes(const std::string& hex) {
  size_t total = 0;
  for (size_t at = hex.find(':'); at != std::string::npos; at = hex.find(':', at + 1)) {
    if (hex.compare(at + 7, 2, "00") == 0) total += std::stoul(hex.substr(at + 1, 2), nullptr, 16);
  }
  return total;
}

class DeviceOverlapTest : public testing::TestWithParam<OverlapCase> {};

TEST_P(DeviceOverlapTest, DumpShowsWhatReadsAnswer) {
  const OverlapCase& c = GetParam();
  const Config config = sim::parse_args(c.args).config;
  const unsigned bpa = config.bytes_per_address();
  Device device(config);
  auto pattern = [](uint64_t byte_address) { return static_cast<uint8_t>(byte_address * 7 + byte_address / 251); };
  for (uint32_t a = c.from; a < c.to; a += 28 / bpa) {
    Bytes data;
    for (uint64_t b = uint64_t{a} * bpa; b < uint64_t{std::min(c.to, a + 28 / bpa)} * bpa; ++b)
      data.push_back(pattern(b));
    device.handle(program(a, data));
  }

  sim::HexImage reads;
  for (const auto& r : config.regions) {
    for (uint32_t a = r.address; a < r.address + r.size; a += 28 / bpa) {
      const auto count = static_cast<uint8_t>(std::min(28u, (r.address + r.size - a) * bpa));
      const Bytes reply = read_back(device, a, count);
      for (unsigned j = 0; j < count; ++j) reads[a * bpa + j] = reply[64 - count + j];
    }
  }
  for (uint64_t b = uint64_t{c.from} * bpa; b < uint64_t{c.to} * bpa; ++b) ASSERT_EQ(reads.at(b), pattern(b)) << b;
  EXPECT_EQ(reads.size(), c.bytes_in_total);

  const std::string text = device.intel_hex();
  EXPECT_EQ(data_bytes(text), c.bytes_in_total);
  const sim::HexImage dump = sim::read_intel_hex(text);
  const auto wrong = sim::differences(reads, dump, 1);
  EXPECT_TRUE(wrong.empty()) << "byte address 0x" << std::hex << wrong[0].address << ": dump " << wrong[0].actual
                             << ", read " << int{wrong[0].expected};
  for (const auto& block : device.memory()) {
    for (size_t k = 0; k < block.bytes.size(); ++k)
      ASSERT_EQ(block.bytes[k], reads.at(block.address + k)) << block.address + k;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, DeviceOverlapTest,
    testing::Values(
        OverlapCase{"inside", {"--region", "1:0x1000:0x7000", "--region", "1:0x2000:0x1000"}, 0x1FF0, 0x3010, 0x7000},
        OverlapCase{
            "across_the_end", {"--region", "1:0x1000:0x1000", "--region", "3:0x1800:0x1000"}, 0x17F0, 0x2010, 0x1800},
        OverlapCase{
            "across_the_start", {"--region", "1:0x1800:0x1000", "--region", "1:0x1000:0x1000"}, 0x17F0, 0x2010, 0x1800},
        OverlapCase{"two_bytes_per_address",
                    {"--preset", "family2", "--region", "1:0x400:0x100", "--region", "2:0x480:0x100"},
                    0x470,
                    0x510,
                    0x300},
        // A third region across where the first two overlap: there its block shows the first one's bytes.
        OverlapCase{"three_deep",
                    {"--region", "1:0x1000:0x1000", "--region", "1:0x1800:0x1000", "--region", "1:0x1400:0x1000"},
                    0x17F0,
                    0x2010,
                    0x1800}),
    [](const auto& info) { return std::string(info.param.name); });

struct FaultCase {
  const char* name;
  std::vector<std::string> faults;
  std::function<void(Device&)> check;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class DeviceFaultTest : public testing::TestWithParam<FaultCase> {};

TEST_P(DeviceFaultTest, ShowsTheFault) {
  Device device(with_faults(GetParam().faults));
  GetParam().check(device);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DeviceFaultTest,
    testing::Values(
        FaultCase{"no_query_reply",
                  {"no-query-reply"},
                  [](Device& d) {
                    EXPECT_TRUE(d.handle(packet(sim::kQueryDevice)).reports.empty());
                    EXPECT_EQ(d.handle(packet(sim::kGetData, 0x1000, 1)).reports.size(), 1u);
                  }},
        FaultCase{"wrong_command",
                  {"wrong-command=7"},
                  [](Device& d) {
                    auto reply = d.handle(packet(sim::kQueryDevice)).reports.at(0);
                    EXPECT_EQ(reply[0], 7);
                    EXPECT_EQ(reply[1], 56);
                    EXPECT_EQ(read_back(d, 0x1000, 1)[0], 7);
                  }},
        FaultCase{"unknown_family",
                  {"unknown-family=9"},
                  [](Device& d) {
                    auto reply = d.handle(packet(sim::kQueryDevice)).reports.at(0);
                    EXPECT_EQ(reply[2], 9);
                    EXPECT_EQ(reply[3], 1);  // the regions are still listed
                  }},
        FaultCase{"stuck_low_bit",
                  {"stuck-bit=0x1010:3"},
                  [](Device& d) {
                    EXPECT_EQ(read_back(d, 0x1010, 1)[63], 0xF7);  // shows from the start
                    d.handle(program(0x100F, {0xFF, 0xFF, 0xFF}));
                    Bytes expected = get_data_reply(0x100F, 3, 0xFF);
                    expected[62] = 0xF7;
                    EXPECT_EQ(read_back(d, 0x100F, 3), expected);
                    d.handle(packet(sim::kEraseDevice));
                    EXPECT_EQ(read_back(d, 0x1010, 1)[63], 0xF7);
                  }},
        FaultCase{"stuck_high_bit",
                  {"stuck-bit=0x1010:0:1"},
                  [](Device& d) {
                    d.handle(program(0x1010, {0x00}));
                    EXPECT_EQ(read_back(d, 0x1010, 1)[63], 0x01);
                  }},
        FaultCase{"silent_after",
                  {"silent-after=2"},
                  [](Device& d) {
                    EXPECT_EQ(d.handle(packet(sim::kQueryDevice)).reports.size(), 1u);
                    d.handle(program(0x1000, {0x00}));
                    EXPECT_TRUE(d.handle(packet(sim::kQueryDevice)).reports.empty());
                    d.handle(program(0x1001, {0x00}));  // not stored either
                    EXPECT_TRUE(d.handle(packet(sim::kGetData, 0x1000, 2)).reports.empty());
                    EXPECT_EQ(d.memory()[0].bytes[0], 0x00);
                    EXPECT_EQ(d.memory()[0].bytes[1], 0xFF);
                  }},
        FaultCase{"remove_after",
                  {"remove-after=2"},
                  [](Device& d) {
                    EXPECT_FALSE(d.on_connect().leave);
                    EXPECT_FALSE(d.handle(packet(sim::kQueryDevice)).leave);
                    auto second = d.handle(packet(sim::kQueryDevice));
                    EXPECT_EQ(second.reports.size(), 1u);  // answered, then gone
                    EXPECT_TRUE(second.leave);
                  }},
        FaultCase{"unsolicited_after",
                  {"unsolicited=1"},
                  [](Device& d) {
                    EXPECT_TRUE(d.on_connect().reports.empty());
                    auto first = d.handle(packet(sim::kProgramComplete));
                    ASSERT_EQ(first.reports.size(), 1u);
                    EXPECT_EQ(first.reports[0], Bytes(64, 0x5A));
                    EXPECT_TRUE(d.handle(packet(sim::kProgramComplete)).reports.empty());
                  }},
        FaultCase{
            "unsolicited_on_connect", {"unsolicited"}, [](Device& d) { EXPECT_EQ(d.on_connect().reports.size(), 1u); }},
        FaultCase{"short_report",
                  {"short-report=40"},
                  [](Device& d) {
                    EXPECT_EQ(read_back(d, 0x1000, 58).size(), 40u);
                    EXPECT_EQ(d.handle(packet(sim::kQueryDevice)).reports.at(0).size(), 64u);
                  }},
        FaultCase{"get_data_count",
                  {"get-data-count=60"},
                  [](Device& d) {
                    d.handle(program(0x1000, {0x42}));
                    auto reply = read_back(d, 0x1000, 1);
                    EXPECT_EQ(reply[5], 60);
                    EXPECT_EQ(reply[63], 0x42);
                  }},
        FaultCase{"get_data_address",
                  {"get-data-address=-16"},
                  [](Device& d) {
                    d.handle(program(0x1010, {0x42}));
                    auto reply = read_back(d, 0x1010, 1);
                    EXPECT_EQ(reply[1], 0x00);
                    EXPECT_EQ(reply[2], 0x10);
                    EXPECT_EQ(reply[63], 0x42);  // the data of the asked address
                  }},
        FaultCase{"claim_size",
                  {"claim-size=0x7FFFFFF0"},
                  [](Device& d) {
                    auto reply = d.handle(packet(sim::kQueryDevice)).reports.at(0);
                    for (size_t at : {size_t{8}, size_t{17}}) {
                      EXPECT_EQ(Bytes(reply.begin() + at, reply.begin() + at + 4), (Bytes{0xF0, 0xFF, 0xFF, 0x7F}));
                    }
                    EXPECT_EQ(reply[21], 0xFF);
                    // The memory is the configured one.
                    EXPECT_EQ(d.memory()[0].bytes.size(), 0x7000u);
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
