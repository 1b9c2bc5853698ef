#include "mkpackage/package.h"

#include "jpegicc/jpegicc.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using tools::PackageFields;

TEST(XorMaskTest, MasksEveryByteWithKAndUndoesItself) {
  const std::string text = std::string("$1.0\0\xFF", 6);
  const std::string masked = tools::xor_mask(text);
  ASSERT_EQ(masked.size(), text.size());
  EXPECT_EQ(masked[0], '\x6F');  // 0x24 ^ 0x4B
  EXPECT_EQ(masked[4], 'K');
  EXPECT_EQ(masked[5], '\xB4');
  EXPECT_EQ(tools::xor_mask(masked), text);
}

struct LineEndCase {
  const char* name;
  std::string in;
  std::string out;
};

void PrintTo(const LineEndCase& c, std::ostream* os) { *os << c.name; }

class LineEndTest : public testing::TestWithParam<LineEndCase> {};

TEST_P(LineEndTest, EveryLineEndBecomesCrLf) { EXPECT_EQ(tools::to_crlf(GetParam().in), GetParam().out); }

INSTANTIATE_TEST_SUITE_P(Texts, LineEndTest,
                         testing::Values(LineEndCase{"Empty", "", ""},
                                         LineEndCase{"Lf", ":00000001FF\n", ":00000001FF\r\n"},
                                         LineEndCase{"CrLfKept", ":01\r\n:02\r\n", ":01\r\n:02\r\n"},
                                         LineEndCase{"Mixed", ":01\n:02\r\n:03", ":01\r\n:02\r\n:03"},
                                         LineEndCase{"LoneCr", ":01\r:02\r", ":01\r\n:02\r\n"},
                                         LineEndCase{"EmptyLinesStay", "\n\n", "\r\n\r\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct IdCase {
  const char* text;
  std::optional<std::uint16_t> value;
};

void PrintTo(const IdCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class UsbIdTest : public testing::TestWithParam<IdCase> {};

TEST_P(UsbIdTest, ReadsDecimalOrHexAfterAmpersandH) {
  EXPECT_EQ(tools::read_usb_id(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, UsbIdTest,
                         testing::Values(IdCase{"1240", 0x04D8}, IdCase{"&h04D8", 0x04D8}, IdCase{"&H3c", 60},
                                         IdCase{"0", 0}, IdCase{"65535", 0xFFFF}, IdCase{"&hFFFF", 0xFFFF},
                                         IdCase{"65536", std::nullopt}, IdCase{"&h10000", std::nullopt},
                                         IdCase{"", std::nullopt}, IdCase{"&h", std::nullopt},
                                         IdCase{"0x04D8", std::nullopt}, IdCase{" 12", std::nullopt},
                                         IdCase{"-1", std::nullopt}, IdCase{"12a", std::nullopt},
                                         IdCase{"99999999999999999999", std::nullopt}));

PackageFields good_fields() {
  PackageFields f;
  f.version = "1.0.0";
  f.title = "Firmware Updater";
  f.vendor_id = "&h04D8";
  f.product_id = "60";
  f.firmware = ":00000001FF\r\n";
  return f;
}

TEST(JoinPackageTest, JoinsTheSixFieldsWithDollar) {
  EXPECT_EQ(tools::join_package(good_fields()), "$1.0.0$Firmware Updater$&h04D8$60$:00000001FF\r\n");
}

struct BadField {
  const char* name;
  std::string PackageFields::*field;
  std::string value;
  const char* message;  // part of the refusal
};

void PrintTo(const BadField& c, std::ostream* os) { *os << c.name; }

class RefusedFieldTest : public testing::TestWithParam<BadField> {};

TEST_P(RefusedFieldTest, IsRefusedWithAMessageNamingIt) {
  PackageFields f = good_fields();
  f.*GetParam().field = GetParam().value;
  try {
    (void)tools::join_package(f);
    FAIL() << "accepted " << GetParam().name;
  } catch (const tools::PackageError& error) {
    EXPECT_NE(std::string(error.what()).find(GetParam().message), std::string::npos) << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, RefusedFieldTest,
    testing::Values(BadField{"DollarInUnused", &PackageFields::unused, "a$b", "field 1 holds \"$\""},
                    BadField{"DollarInVersion", &PackageFields::version, "1.0$", "version holds \"$\""},
                    BadField{"DollarInTitle", &PackageFields::title, "US$ Meter", "title holds \"$\""},
                    BadField{"DollarInVendor", &PackageFields::vendor_id, "$4D8", "vendor ID holds \"$\""},
                    BadField{"DollarInProduct", &PackageFields::product_id, "6$0", "product ID holds \"$\""},
                    BadField{"DollarInFirmware", &PackageFields::firmware, ":00000001FF\r\n$", "firmware holds \"$\""},
                    BadField{"EmptyVersion", &PackageFields::version, "", "version is empty"},
                    BadField{"EmptyFirmware", &PackageFields::firmware, "", "firmware is empty"},
                    BadField{"FirmwareNotHex", &PackageFields::firmware, "hello world\r\n", "firmware line 1"},
                    BadField{"VendorNotANumber", &PackageFields::vendor_id, "0x04D8", "vendor ID \"0x04D8\" is not"},
                    BadField{"ProductTooLarge", &PackageFields::product_id, "70000", "product ID \"70000\" is not"}),
    [](const auto& info) { return std::string(info.param.name); });

// Texts the updater reads to their end record, however odd: refusing one of
// them would keep a vendor from shipping what works.
struct GoodFirmware {
  const char* name;
  std::string text;
};

void PrintTo(const GoodFirmware& c, std::ostream* os) { *os << c.name; }

class AcceptedFirmwareTest : public testing::TestWithParam<GoodFirmware> {};

TEST_P(AcceptedFirmwareTest, PassesTheCheck) { EXPECT_NO_THROW(tools::check_firmware(GetParam().text)); }

INSTANTIATE_TEST_SUITE_P(
    Texts, AcceptedFirmwareTest,
    testing::Values(GoodFirmware{"EndRecordWithoutFinalLineEnd", ":00000001FF"},
                    GoodFirmware{"BlanksAroundRecords", "  :0300300002337A1E \t\r\n\v:00000001FF\f\r\n"},
                    GoodFirmware{"LowerCaseDigits", ":0300300002337a1e\r\n:00000001ff\r\n"},
                    GoodFirmware{"TextAfterTheChecksum", ":0300300002337A1E;data\r\n:00000001FF ok\r\n"},
                    // "1G" reads as 1 and "G1" as 0, in the sum and in the checksum alike.
                    GoodFirmware{"PairsReadUpToTheirFirstNonDigit", ":03000000aB1GG151\r\n:00000001FF\r\n"},
                    GoodFirmware{"ExtendedAddressOfAnyLength", ":0100000412E9\r\n:00000001FF\r\n"},
                    GoodFirmware{"NothingAfterTheEndRecordIsRead", ":00000001FF\r\nhello world\r\n\r\n:0000"}),
    [](const auto& info) { return std::string(info.param.name); });

struct SplitCase {
  const char* name;
  std::string text;
  std::size_t field_count;
  std::string version;
  std::string firmware;
  std::optional<std::string> tail;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class SplitPackageTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitPackageTest, SplitsAsTheUpdaterDoes) {
  const tools::SplitPackage split = tools::split_package(GetParam().text);
  EXPECT_EQ(split.field_count, GetParam().field_count);
  EXPECT_EQ(split.fields.version, GetParam().version);
  EXPECT_EQ(split.fields.firmware, GetParam().firmware);
  EXPECT_EQ(split.tail, GetParam().tail);
}

INSTANTIATE_TEST_SUITE_P(Texts, SplitPackageTest,
                         testing::Values(SplitCase{"SixFieldsAndTail", "x$1.2$T$1234$5678$hex$more$bytes", 6, "1.2",
                                                   "hex", "more$bytes"},
                                         SplitCase{"TrailingDollar", "$1.2$T$1$2$hex$", 6, "1.2", "hex", ""},
                                         SplitCase{"FiveFields", "$1.2$T$1$2", 5, "1.2", "", std::nullopt},
                                         SplitCase{"EmptyVersion", "$$T$1$2$hex", 6, "", "hex", std::nullopt},
                                         SplitCase{"Empty", "", 1, "", "", std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ShowPackageTest, TellsWhatTheUpdaterWouldRefuse) {
  const std::string masked = tools::xor_mask("$1.2$Title$1$2");
  const jpegicc::Bytes profile(masked.begin(), masked.end());
  // The shown package needs a picture only as its carrier.
  const jpegicc::Bytes carrier = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02, 0x00, 0xFF, 0xD9};
  const std::string shown = tools::show_package(jpegicc::embed_icc_profile(carrier, profile));

  EXPECT_NE(shown.find("firmware:   (missing)"), std::string::npos) << shown;
  EXPECT_NE(shown.find("only 5 of 6 fields"), std::string::npos) << shown;
}

TEST(ShowPackageTest, FileWithoutProfileIsNoPackage) {
  const jpegicc::Bytes carrier = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02, 0x00, 0xFF, 0xD9};
  EXPECT_THROW(tools::show_package(carrier), tools::PackageError);
}

}  // namespace
