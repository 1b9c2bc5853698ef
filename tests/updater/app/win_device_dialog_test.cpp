// DeviceDialog of the win variant: the walk over WinHIDQVX objects, its
// decimal debug lines, a Connect that returns false.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/app_session.h"
#include "updater/device_path.h"

namespace {

struct WinDevice {
  int32_t vendor_id = 0x04D8;
  int32_t product_id = 0x003C;
  bool connects = true;
};

// The win device path over a fixed list of devices.
class WinLink {
 public:
  explicit WinLink(std::vector<WinDevice> devices) : devices_(std::move(devices)) {}

  updater::DevicePath Path() {
    updater::DevicePath path;
    path.NewDeviceWin = [this] { return std::make_shared<Walker>(this); };
    path.SetDeviceWin = [this](const std::shared_ptr<updater::WinDeviceObject>& device) {
      device_win_ = device;
      ++device_win_sets_;
    };
    path.SendCommand = [](const framework::Ref<framework::MemoryBlock>&) {};
    path.ReadCommand = [](HID::ReadMode) { return framework::Ref<framework::MemoryBlock>(); };
    return path;
  }

  const std::shared_ptr<updater::WinDeviceObject>& device_win() const { return device_win_; }
  int device_win_sets() const { return device_win_sets_; }
  int connects() const { return connects_; }

 private:
  class Walker final : public updater::WinDeviceObject {
   public:
    explicit Walker(WinLink* link) : link_(link) {}
    bool FindFirstDevice() override { return Stand(0); }
    bool FindNextDevice() override { return Stand(index_ + 1); }
    int32_t VendorID() override { return link_->devices_[index_].vendor_id; }
    int32_t ProductID() override { return link_->devices_[index_].product_id; }
    bool Connect() override {
      ++link_->connects_;
      return link_->devices_[index_].connects;
    }

   private:
    bool Stand(std::size_t index) {
      index_ = index;
      return index_ < link_->devices_.size();
    }
    WinLink* link_;
    std::size_t index_ = 0;
  };

  std::vector<WinDevice> devices_;
  std::shared_ptr<updater::WinDeviceObject> device_win_;
  int device_win_sets_ = 0;
  int connects_ = 0;
};

using apptest::SearchLines;

class WinDeviceDialogTest : public testing::Test {
 protected:
  void Start(std::vector<WinDevice> devices) {
    link_ = std::make_unique<WinLink>(std::move(devices));
    run_.bundle().set_win_package(apptest::DefaultFields(":00000001FF\r\n"));
    run_.bound().device = link_->Path();
    run_.start();
  }

  // The link outlives the run, which holds its device path.
  std::unique_ptr<WinLink> link_;
  apptest::AppRun run_;
};

TEST_F(WinDeviceDialogTest, LogsEachDeviceInDecimalAndConnectsTheFirstWithBothIds) {
  Start({WinDevice{.vendor_id = 0x1234, .product_id = 0x003C},  // product matches only
         WinDevice{.vendor_id = 0x04D8, .product_id = 0x0001}, WinDevice{}, WinDevice{}});
  ASSERT_TRUE(run_.session().run_until([&] { return bool(run_.session().window("mainWindow")); }));
  EXPECT_FALSE(run_.session().window("DeviceDialog"));
  EXPECT_EQ(link_->connects(), 1);
  EXPECT_TRUE(link_->device_win());
  EXPECT_EQ(SearchLines(run_),
            (std::vector<std::string>{"VendorID: 4660 ProductID: 60", "VendorID: 1240 ProductID: 1",
                                      "VendorID: 1240 ProductID: 60", "Ger\xC3\xA4t gefunden.", "Connect OK."}));
  EXPECT_TRUE(run_.messages().empty());
}

TEST_F(WinDeviceDialogTest, FailedConnectClearsTheDeviceSaysSoAndQuits) {
  Start({WinDevice{.connects = false}});
  run_.session().run_until([] { return false; }, std::chrono::minutes(1));
  ASSERT_TRUE(run_.session().finished());
  EXPECT_EQ(run_.session().exit_code(), 0);
  EXPECT_EQ(run_.messages(), std::vector<std::string>{"Failed to connect to USB device."});
  EXPECT_FALSE(link_->device_win());
  EXPECT_EQ(link_->device_win_sets(), 2);
  // No debug line on this path.
  EXPECT_EQ(SearchLines(run_), (std::vector<std::string>{"VendorID: 1240 ProductID: 60", "Ger\xC3\xA4t gefunden."}));
  EXPECT_FALSE(run_.shown("mainWindow"));
}

}  // namespace
