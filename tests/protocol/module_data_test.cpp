#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/system.h"
#include "module_fixture.h"

namespace {

using framework::Ref;

std::vector<std::string> events;

// A region that notes what the module data looks like when it ends.
class WatchedRegion : public HID::MemoryRegion {
 public:
  static const framework::ClassRecord& class_record() {
    static const framework::ClassRecord& record = framework::define_class(
        "WatchedRegion", &HID::MemoryRegion::class_record(), 0, framework::native_type_of<WatchedRegion>());
    return record;
  }
  ~WatchedRegion() override {
    events.push_back("region ends; regions listed: " + std::to_string(HID::MemoryRegions.size()) +
                     "; datafile: " + hidtest::Text(HID::datafile));
  }
};

class ModuleDataTest : public hidtest::ModuleTest {};

TEST_F(ModuleDataTest, StartsEmpty) {
  EXPECT_TRUE(hidtest::Text(HID::dataversion).empty());
  EXPECT_TRUE(hidtest::Text(HID::datafile).empty());
  EXPECT_TRUE(hidtest::Text(HID::datatitle).empty());
  EXPECT_FALSE(HID::DeviceFound);
  EXPECT_EQ(HID::VendorID, 0);
  EXPECT_EQ(HID::ProductID, 0);
  EXPECT_TRUE(HID::MemoryRegions.empty());
  EXPECT_EQ(HID::memoryRegionsDetected, 0);
  EXPECT_FALSE(HID::logfile);
  EXPECT_EQ(HID::bytesPerAddress, 0);
  EXPECT_EQ(HID::BytesPerPacket, 0);
  EXPECT_EQ(HID::DeviceFamily, 0);
}

TEST_F(ModuleDataTest, FinalisesInItsOrderEachVariableEmptiedBeforeItsValueEnds) {
  events.clear();
  HID::ReleaseDeviceMac = [] { events.push_back("DeviceMac"); };
  HID::ReleaseDeviceWin = [] { events.push_back("DeviceWin"); };
  HID::datafile = "hex";
  HID::dataversion = "1.0";
  HID::MemoryRegions.push_back(framework::make<WatchedRegion>());

  HID::Finalise();
  HID::ReleaseDeviceMac = nullptr;
  HID::ReleaseDeviceWin = nullptr;

  EXPECT_EQ(events,
            (std::vector<std::string>{"DeviceMac", "region ends; regions listed: 0; datafile: hex", "DeviceWin"}));
  EXPECT_TRUE(hidtest::Text(HID::datafile).empty());
  EXPECT_TRUE(hidtest::Text(HID::dataversion).empty());
}

}  // namespace

namespace {

// A run of the framework starts the module afresh and Quit finalises it.
TEST(ModuleRunTest, StartsFreshAndIsReleasedOnQuit) {
  HID::VendorID = 0x1234;
  int32_t vendorAtStart = -1;
  const int code = framework::run([&] {
    vendorAtStart = HID::VendorID;
    HID::datafile = "hex";
    framework::Ref<HID::MemoryRegion> region = framework::make<HID::MemoryRegion>();
    region->data = framework::NewMemoryBlock(16);
    HID::MemoryRegions.push_back(region);
    framework::Quit();
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(vendorAtStart, 0);
  EXPECT_TRUE(HID::MemoryRegions.empty());
  EXPECT_TRUE(hidtest::Text(HID::datafile).empty());
}

}  // namespace
