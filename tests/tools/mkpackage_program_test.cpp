#include "jpegicc/jpegicc.h"
#include "mkpackage/package.h"

#include <gtest/gtest.h>

#include "process_run.h"
#include "scratch_dir.h"

namespace {

using testsupport::Outcome;
using testsupport::ScratchDir;
using testsupport::WriteText;

// Written with LF line ends, as the toolchains here write them.
const std::string kHexLf =
    ":020000040000FA\n"
    ":0400100001020304E2\n"
    ":020000040030CA\n"
    ":02000000AA55FF\n"
    ":00000001FF\n";

std::string unmasked_profile(const std::filesystem::path& package) {
  const jpegicc::Bytes profile = jpegicc::read_icc_profile(jpegicc::read_file(package));
  return tools::xor_mask(std::string(profile.begin(), profile.end()));
}

class MkpackageTest : public testing::Test {
 protected:
  void SetUp() override { WriteText(dir / "firmware.hex", kHexLf); }

  Outcome make(const std::string& version, const std::string& title, const std::string& vendor,
               const std::string& product, const std::string& output = "logo.jpg") {
    return testsupport::Run({MKPACKAGE_PATH, LOGO_PICTURE_PATH, version, title, vendor, product,
                             (dir / "firmware.hex").string(), (dir / output).string()});
  }

  ScratchDir dir;
};

TEST_F(MkpackageTest, StoresTheMaskedFieldsWithCrLfFirmware) {
  const Outcome made = make("1.0.0", "Firmware Updater", "&h04D8", "60");
  ASSERT_EQ(made.exit_code, 0) << made.err;
  EXPECT_EQ(made.out, "");

  EXPECT_EQ(unmasked_profile(dir / "logo.jpg"), "$1.0.0$Firmware Updater$&h04D8$60$" + tools::to_crlf(kHexLf));
  // The picture stays the picture.
  const jpegicc::Image image = jpegicc::decode_rgb(jpegicc::read_file(dir / "logo.jpg"));
  EXPECT_EQ(image.width, 128);
  EXPECT_EQ(image.height, 128);
}

TEST_F(MkpackageTest, ShowPrintsTheFieldsUnmasked) {
  ASSERT_EQ(make("1.0.0", "Firmware Updater", "&h04D8", "60").exit_code, 0);

  const Outcome shown = testsupport::Run({MKPACKAGE_PATH, "--show", (dir / "logo.jpg").string()});

  EXPECT_EQ(shown.exit_code, 0) << shown.err;
  EXPECT_EQ(shown.out,
            "field 1:    \"\" (unused)\n"
            "version:    \"1.0.0\"\n"
            "title:      \"Firmware Updater\"\n"
            "vendor ID:  \"&h04D8\" (1240, 0x04D8)\n"
            "product ID: \"60\" (60, 0x003C)\n"
            "firmware:   85 bytes, 5 lines ending in CR LF\n"
            "\n" +
                kHexLf);
}

struct Refusal {
  const char* name;
  std::vector<std::string> fields;  // version, title, vendor, product
  const char* message;
};

void PrintTo(const Refusal& refusal, std::ostream* os) { *os << refusal.name; }

class MkpackageRefusalTest : public MkpackageTest, public testing::WithParamInterface<Refusal> {};

TEST_P(MkpackageRefusalTest, FailsWithAMessageAndWritesNothing) {
  const auto& f = GetParam().fields;
  const Outcome made = make(f[0], f[1], f[2], f[3]);

  EXPECT_EQ(made.exit_code, 1);
  EXPECT_NE(made.err.find(GetParam().message), std::string::npos) << made.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "logo.jpg"));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, MkpackageRefusalTest,
    testing::Values(Refusal{"DollarInTitle",
                            {"1.0", "Price in $", "1240", "60"},
                            "mkpackage: the title holds \"$\", which separates the package fields"},
                    Refusal{"DollarInVersion", {"1$0", "T", "1240", "60"}, "the version holds \"$\""},
                    Refusal{"EmptyVersion", {"", "T", "1240", "60"}, "the version is empty"},
                    Refusal{"CStyleHexId", {"1.0", "T", "0x04D8", "60"}, "the vendor ID \"0x04D8\" is not"}),
    [](const auto& info) { return std::string(info.param.name); });

// Firmware the updater would stop on, as the vendor's file holds it: the line
// is counted in that file, whatever its line ends.
struct BadFirmware {
  const char* name;
  std::string file;
  const char* message;
};

void PrintTo(const BadFirmware& c, std::ostream* os) { *os << c.name; }

class MkpackageFirmwareTest : public MkpackageTest, public testing::WithParamInterface<BadFirmware> {};

TEST_P(MkpackageFirmwareTest, IsRefusedWithItsLineAndWritesNothing) {
  WriteText(dir / "firmware.hex", GetParam().file);
  const Outcome made = make("1.0", "T", "&h04D8", "&h003C");

  EXPECT_EQ(made.exit_code, 1);
  EXPECT_NE(made.err.find(GetParam().message), std::string::npos) << made.err;
  // Nothing beside the firmware, not even a partial package.
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    files.push_back(entry.path().filename().string());
  EXPECT_EQ(files, std::vector<std::string>{"firmware.hex"});
}

INSTANTIATE_TEST_SUITE_P(
    Firmware, MkpackageFirmwareTest,
    testing::Values(
        BadFirmware{"PlainText", "hello world\n",
                    "mkpackage: firmware line 1 (\"hello world\"), not a record beginning with \":\"; "
                    "the updater would show \"Invalid file format.\""},
        BadFirmware{"RecordWithoutColon", ":0300300002337A1E\n0300300002337A1E\n:00000001FF\n",
                    "firmware line 2 (\"0300300002337A1E\"), not a record"},
        BadFirmware{"EmptyLineBeforeTheEnd", ":0300300002337A1E\n\n:00000001FF\n", "firmware line 2 is empty"},
        BadFirmware{"RecordCutShort", ":0300300002337A\n:00000001FF\n",
                    "firmware line 1: the checksum is 00, the record's bytes need 1E"},
        BadFirmware{"BadChecksum", ":0300300002337A1F\n:00000001FF\n",
                    "mkpackage: firmware line 1: the checksum is 1F, the record's bytes need 1E; "
                    "the updater would show \"Checksum Error: 30 <> 31\""},
        // CR LF, LF and a lone CR each end one line.
        BadFirmware{"BadChecksumAfterMixedLineEnds",
                    ":020000040000FA\r\n:0400100001020304E2\n:0300300002337A1F\r:00000001FF\n",
                    "firmware line 3: the checksum is 1F"},
        BadFirmware{"UnknownRecordType", ":0300300002337A1E\n:020000021000EC\n:00000001FF\n",
                    "firmware line 2: record type 02, the updater reads only types 00, 01 and 04"},
        BadFirmware{"UnknownTypeWithBadChecksum", ":020000021000ED\n:00000001FF\n",
                    "firmware line 1: the checksum is ED, the record's bytes need EC"},
        BadFirmware{"NoEndRecord", ":020000040000FA\n:0300300002337A1E\n",
                    "mkpackage: the firmware ends after line 2 without an end-of-file record (:00000001FF); "
                    "the updater would show \"Invalid file format.\""},
        BadFirmware{"NoEndRecordNorFinalLineEnd", ":0300300002337A1E\n:0300300002337A1E",
                    "the firmware ends after line 2 without an end-of-file record (:00000001FF); "
                    "the updater would quit without a message"},
        BadFirmware{"OnlyTheEndRecord", ":00000001FF\n",
                    "mkpackage: firmware line 1: the end record comes before any data byte; "
                    "the updater would show \"The firmware holds no data for this device.\""},
        BadFirmware{"EndRecordFirst", ":00000001FF\n:0300300002337A1E\n", "firmware line 1: the end record comes"},
        BadFirmware{"OnlyAddressesAndEmptyData", ":020000040000FA\n:0000000000\n:00000001FF\n",
                    "firmware line 3: the end record comes before any data byte"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MkpackageTest, RefusedFirmwareLeavesAnOldPackageAsItWas) {
  ASSERT_EQ(make("1.0", "T", "1240", "60").exit_code, 0);
  const jpegicc::Bytes before = jpegicc::read_file(dir / "logo.jpg");

  for (const char* refused : {"hello world\n", ":00000001FF\n"}) {
    WriteText(dir / "firmware.hex", refused);
    EXPECT_EQ(make("2.0", "T", "1240", "60").exit_code, 1) << refused;
    EXPECT_EQ(jpegicc::read_file(dir / "logo.jpg"), before) << refused;
  }
}

TEST_F(MkpackageTest, DollarInTheFirmwareFileIsRefused) {
  WriteText(dir / "firmware.hex", ":00000001FF\n$\n");
  const Outcome made = make("1.0", "T", "1240", "60");
  EXPECT_EQ(made.exit_code, 1);
  EXPECT_NE(made.err.find("the firmware holds \"$\""), std::string::npos) << made.err;
}

TEST_F(MkpackageTest, PictureThatIsNoJpegIsRefused) {
  WriteText(dir / "picture.jpg", "GIF89a");
  const Outcome made = testsupport::Run({MKPACKAGE_PATH, (dir / "picture.jpg").string(), "1.0", "T", "1", "2",
                                         (dir / "firmware.hex").string(), (dir / "out.jpg").string()});
  EXPECT_EQ(made.exit_code, 1);
  EXPECT_NE(made.err.find("the picture is not usable"), std::string::npos) << made.err;
}

TEST_F(MkpackageTest, MissingFirmwareFileIsNamed) {
  const std::string missing = (dir / "missing.hex").string();
  const Outcome made =
      testsupport::Run({MKPACKAGE_PATH, LOGO_PICTURE_PATH, "1.0", "T", "1", "2", missing, (dir / "out.jpg").string()});
  EXPECT_EQ(made.exit_code, 1);
  EXPECT_NE(made.err.find("cannot open " + missing), std::string::npos) << made.err;
}

TEST_F(MkpackageTest, ShowOfAPictureWithoutPackageFails) {
  const Outcome shown = testsupport::Run({MKPACKAGE_PATH, "--show", LOGO_PICTURE_PATH});
  EXPECT_EQ(shown.exit_code, 1);
  EXPECT_NE(shown.err.find("holds no package"), std::string::npos) << shown.err;
  EXPECT_EQ(shown.out, "");
}

TEST(MkpackageUsageTest, WrongArgumentsPrintTheUsage) {
  const Outcome bare = testsupport::Run({MKPACKAGE_PATH});
  EXPECT_EQ(bare.exit_code, 2);
  EXPECT_NE(bare.err.find("usage: mkpackage PICTURE VERSION TITLE"), std::string::npos) << bare.err;

  const Outcome help = testsupport::Run({MKPACKAGE_PATH, "--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("--show PACKAGE"), std::string::npos) << help.out;
}

// What a vendor can do without mkpackage: join the fields, mask them with
// "K" and let jpegtran embed them as the profile.
const char* const kStandardToolsRecipe = R"(set -e
cd "$1"
printf '%s' '$1.0.0$Firmware Updater$&h04D8$&h003C$' > package.txt
perl -pe 's/\r?\n/\r\n/' firmware.hex >> package.txt
perl -0777 -pe '$_ ^= "K" x length' package.txt > package.icc
jpegtran -copy none -icc package.icc -outfile logo.jpg picture.jpg
)";

TEST_F(MkpackageTest, PackageMadeWithStandardToolsReadsTheSame) {
  ScratchDir vendor;
  std::filesystem::copy_file(LOGO_PICTURE_PATH, vendor / "picture.jpg");
  WriteText(vendor / "firmware.hex", kHexLf);
  WriteText(vendor / "recipe.sh", kStandardToolsRecipe);
  // The recipe names the tools; the test points it at the ones found.
  const std::string path = std::filesystem::path(JPEGTRAN_PATH).parent_path().string() + ":" +
                           std::filesystem::path(PERL_PATH).parent_path().string();
  const Outcome recipe = testsupport::Run({"/usr/bin/env", "PATH=" + path + ":/usr/bin:/bin", "/bin/sh",
                                           (vendor / "recipe.sh").string(), vendor.path().string()});
  ASSERT_EQ(recipe.exit_code, 0) << recipe.err;
  ASSERT_EQ(make("1.0.0", "Firmware Updater", "&h04D8", "&h003C").exit_code, 0);

  EXPECT_EQ(jpegicc::read_icc_profile(jpegicc::read_file(vendor / "logo.jpg")),
            jpegicc::read_icc_profile(jpegicc::read_file(dir / "logo.jpg")));
  const Outcome by_tools = testsupport::Run({MKPACKAGE_PATH, "--show", (vendor / "logo.jpg").string()});
  const Outcome by_mkpackage = testsupport::Run({MKPACKAGE_PATH, "--show", (dir / "logo.jpg").string()});
  EXPECT_EQ(by_tools.exit_code, 0);
  EXPECT_EQ(by_tools.out, by_mkpackage.out);
}

}  // namespace
