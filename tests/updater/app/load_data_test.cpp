// LoadData: the package's fields into the module data, all or none.
#include <ostream>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "framework/application.h"
#include "protocol/module.h"
#include "support/bundle_fixture.h"
#include "support/outside_stand_in.h"
#include "updater/app.h"

namespace {

struct PackageCase {
  friend void PrintTo(const PackageCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::optional<std::string> text;  // unmasked package; none: no profile at all
  const char* version;
  const char* title;
  int32_t vendor_id;
  int32_t product_id;
  const char* firmware;
  bool picture;
};

class LoadDataTest : public testing::TestWithParam<PackageCase> {};

TEST_P(LoadDataTest, StoresTheFieldsOfThePackage) {
  const PackageCase& c = GetParam();
  apptest::TestBundle bundle;
  bundle.set_package_text(c.text);
  updater::Bound bound;
  bound.outside = apptest::OutsideStandIns();

  std::string version, title, firmware;
  int32_t vendor = -1, product = -1;
  bool picture = false;
  const int code = framework::run([&] {
    framework::Ref<updater::App> app = framework::make<updater::App>(bound);
    app->LoadData();
    version = HID::dataversion.utf8();
    title = HID::datatitle.utf8();
    firmware = HID::datafile.utf8();
    vendor = HID::VendorID;
    product = HID::ProductID;
    picture = bool(app->logo);
    framework::Quit();
  });

  EXPECT_EQ(code, 0);
  EXPECT_EQ(version, c.version);
  EXPECT_EQ(title, c.title);
  EXPECT_EQ(vendor, c.vendor_id);
  EXPECT_EQ(product, c.product_id);
  EXPECT_EQ(firmware, c.firmware);
  EXPECT_EQ(picture, c.picture);
}

INSTANTIATE_TEST_SUITE_P(
    Packages, LoadDataTest,
    testing::Values(PackageCase{"SixFieldsThenMore", "anything$1.2$A title$1234$5678$:00000001FF\r\n$more$bytes", "1.2",
                                "A title", 1234, 5678, ":00000001FF\r\n", true},
                    PackageCase{"FiveFieldsOnly", "x$1.2$T$1234$5678", "1.2", "T", 1234, 5678, "", true},
                    PackageCase{"EmptyVersion", "x$$T$1$2$FW", "", "T", 1, 2, "FW", true},
                    PackageCase{"HexadecimalIds", "x$1.0$T$&h04D8$&h003C$FW", "1.0", "T", 0x04D8, 0x003C, "FW", true},
                    PackageCase{"IdsThatAreNoNumbers", "x$1.0$T$vendor$12abc$FW", "1.0", "T", 0, 12, "FW", true},
                    PackageCase{"NoProfileData", std::nullopt, "", "", 0, 0, "", false}),
    [](const testing::TestParamInfo<PackageCase>& info) { return info.param.name; });

}  // namespace
