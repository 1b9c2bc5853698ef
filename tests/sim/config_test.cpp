#include <sim/config.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

using sim::Config;

TEST(SimConfigTest, DefaultIsTheProjectsDevice) {
  Config c = sim::parse_args({}).config;
  EXPECT_EQ(c.vendor_id, 0x04D8);
  EXPECT_EQ(c.product_id, 0x003C);
  EXPECT_EQ(c.family, 1);
  EXPECT_EQ(c.bytes_per_packet, 56);
  ASSERT_EQ(c.regions.size(), 2u);
  EXPECT_EQ(c.regions[0].type, 1);
  EXPECT_EQ(c.regions[0].address, 0x1000u);
  EXPECT_EQ(c.regions[0].size, 0x7000u);
  EXPECT_EQ(c.regions[1].type, 3);
  EXPECT_EQ(c.regions[1].address, 0x300000u);
  EXPECT_EQ(c.regions[1].size, 14u);
  EXPECT_EQ(c.frame_ms, 1u);
}

struct ArgsCase {
  const char* name;
  std::vector<std::string> args;
  std::function<void(const Config&)> check;
};

void PrintTo(const ArgsCase& c, std::ostream* os) { *os << c.name; }

class SimArgsTest : public testing::TestWithParam<ArgsCase> {};

TEST_P(SimArgsTest, SetsTheConfig) { GetParam().check(sim::parse_args(GetParam().args).config); }

INSTANTIATE_TEST_SUITE_P(
    Options, SimArgsTest,
    testing::Values(
        ArgsCase{"identity",
                 {"--vid", "0x1234", "--pid", "42", "--manufacturer", "M", "--product", "P", "--serial", "S"},
                 [](const Config& c) {
                   EXPECT_EQ(c.vendor_id, 0x1234);
                   EXPECT_EQ(c.product_id, 42);
                   EXPECT_EQ(c.manufacturer, "M");
                   EXPECT_EQ(c.product, "P");
                   EXPECT_EQ(c.serial_number, "S");
                 }},
        // The preset is applied first wherever it stands; options refine it.
        ArgsCase{"preset_then_refined",
                 {"--bytes-per-packet", "0", "--preset", "family2"},
                 [](const Config& c) {
                   EXPECT_EQ(c.family, 2);
                   EXPECT_EQ(c.bytes_per_address(), 2u);
                   EXPECT_EQ(c.bytes_per_packet, 0);
                   EXPECT_EQ(c.regions.size(), 3u);
                 }},
        ArgsCase{"family3",
                 {"--preset", "family3"},
                 [](const Config& c) {
                   EXPECT_EQ(c.family, 3);
                   EXPECT_EQ(c.bytes_per_address(), 1u);
                   for (const auto& r : c.regions) EXPECT_LE(uint64_t{r.address} + r.size, 0x7FFFFFFFu);
                 }},
        ArgsCase{"regions_replace_the_preset",
                 {"--region", "1:0x800:100", "--region", "2:0x2000:0x10"},
                 [](const Config& c) {
                   ASSERT_EQ(c.regions.size(), 2u);
                   EXPECT_EQ(c.regions[0].address, 0x800u);
                   EXPECT_EQ(c.regions[0].size, 100u);
                   EXPECT_EQ(c.regions[1].type, 2);
                 }},
        ArgsCase{"timing_and_files",
                 {"--erase-ms", "5", "--frame-ms", "0", "--name", "dev2", "--fill", "a.hex", "--dump", "b.hex", "-v"},
                 [](const Config& c) {
                   EXPECT_EQ(c.erase_ms, 5u);
                   EXPECT_EQ(c.frame_ms, 0u);
                   EXPECT_EQ(c.name, "dev2");
                   EXPECT_EQ(c.fill_file, "a.hex");
                   EXPECT_EQ(c.dump_file, "b.hex");
                   EXPECT_TRUE(c.verbose);
                 }},
        ArgsCase{"longest_frame", {"--frame-ms", "1000"}, [](const Config& c) { EXPECT_EQ(c.frame_ms, 1000u); }},
        ArgsCase{"faults_with_defaults",
                 {"--fault", "no-query-reply", "--fault", "wrong-command", "--fault", "unknown-family", "--fault",
                  "unsolicited", "--fault", "short-report", "--fault", "get-data-count", "--fault", "get-data-address",
                  "--fault", "flood"},
                 [](const Config& c) {
                   const auto& f = c.faults;
                   EXPECT_TRUE(f.no_query_reply);
                   EXPECT_EQ(f.wrong_command, 0x7F);
                   EXPECT_EQ(f.unknown_family, 4);
                   EXPECT_EQ(f.unsolicited_after, 0u);
                   EXPECT_EQ(f.short_report, 63u);
                   EXPECT_EQ(f.get_data_count, 59);
                   EXPECT_EQ(f.get_data_address, 1);
                   EXPECT_EQ(f.flood, 10u);
                 }},
        ArgsCase{"faults_with_values",
                 {"--fault", "stuck-bit=0x1010:3:1", "--fault", "silent-after=7", "--fault", "remove-after=9",
                  "--fault", "get-data-address=-16", "--fault", "wrong-command=7", "--fault", "claim-size=0xFFFFFFFF",
                  "--fault", "flood=250"},
                 [](const Config& c) {
                   const auto& f = c.faults;
                   ASSERT_EQ(f.stuck_bits.size(), 1u);
                   EXPECT_EQ(f.stuck_bits[0].address, 0x1010u);
                   EXPECT_EQ(f.stuck_bits[0].bit, 3u);
                   EXPECT_TRUE(f.stuck_bits[0].level);
                   EXPECT_EQ(f.silent_after, 7u);
                   EXPECT_EQ(f.remove_after, 9u);
                   EXPECT_EQ(f.get_data_address, -16);
                   EXPECT_EQ(f.wrong_command, 7);
                   EXPECT_EQ(f.claim_size, 0xFFFFFFFFu);
                   EXPECT_EQ(f.flood, 250u);
                 }}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadArgs {
  const char* name;
  std::vector<std::string> args;
  const char* message;
};

void PrintTo(const BadArgs& c, std::ostream* os) { *os << c.name; }

class SimBadArgsTest : public testing::TestWithParam<BadArgs> {};

TEST_P(SimBadArgsTest, AreRefusedWithAMessage) {
  try {
    sim::parse_args(GetParam().args);
    FAIL() << "accepted";
  } catch (const sim::ConfigError& e) {
    EXPECT_NE(std::string(e.what()).find(GetParam().message), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Options, SimBadArgsTest,
    testing::Values(BadArgs{"unknown_option", {"--colour", "red"}, "unknown option --colour"},
                    BadArgs{"stray_argument", {"red"}, "unexpected argument"},
                    BadArgs{"missing_value", {"--vid"}, "--vid: needs a value"},
                    BadArgs{"not_a_number", {"--pid", "12ab"}, "not a number"},
                    BadArgs{"negative", {"--erase-ms", "-5"}, "not a number"},
                    BadArgs{"too_large", {"--vid", "0x10000"}, "too large"},
                    BadArgs{"preset", {"--preset", "family9"}, "--preset"},
                    // --preset is looked for before the other options; last, it has nothing to name.
                    BadArgs{"preset_last", {"--vid", "0x1234", "--preset"}, "--preset: needs a value"},
                    BadArgs{"frame_too_long", {"--frame-ms", "1001"}, "--frame-ms: 1001 is too large"},
                    BadArgs{"region_form", {"--region", "1:0x1000"}, "TYPE:ADDR:SIZE"},
                    BadArgs{"end_mark_region", {"--region", "255:0:1"}, "end mark"},
                    BadArgs{"seven_regions",
                            {"--region", "1:0:1", "--region", "1:1:1", "--region", "1:2:1", "--region", "1:3:1",
                             "--region", "1:4:1", "--region", "1:5:1", "--region", "1:6:1"},
                            "at most 6"},
                    BadArgs{"past_32_bits", {"--region", "1:0xFFFFFFFF:2"}, "32-bit"},
                    BadArgs{"too_much_memory", {"--region", "1:0:0xFFFFFFFF"}, "64 MiB"},
                    BadArgs{"unknown_fault", {"--fault", "gremlins"}, "unknown fault"},
                    BadArgs{"fault_needs_value", {"--fault", "silent-after"}, "needs a value"},
                    BadArgs{"no_flood", {"--fault", "flood=0"}, "at least one"},
                    BadArgs{"flood_too_large", {"--fault", "flood=1001"}, "too large"},
                    BadArgs{"stuck_bit_outside", {"--fault", "stuck-bit=0x10:0"}, "outside every region"},
                    BadArgs{"stuck_bit_number", {"--fault", "stuck-bit=0x1000:8"}, "too large for the family"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
