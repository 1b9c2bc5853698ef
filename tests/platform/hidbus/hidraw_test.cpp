#include "bus_folder.h"
#include "scratch_dir.h"

#include <hidbus/hidbus.h>

#include "report_descriptor.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/socket.h>
#include <tuple>
#include <unistd.h>

namespace {

using testsupport::WriteText;
namespace fs = std::filesystem;

// Vendor-defined page, 64-byte input and output reports, no report IDs.
const std::vector<uint8_t> kPlain64 = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x19, 0x01, 0x29,
                                       0x40, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40,
                                       0x81, 0x00, 0x19, 0x01, 0x29, 0x40, 0x91, 0x00, 0xC0};

std::string bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

std::vector<uint8_t> Then(std::vector<uint8_t> head, std::initializer_list<uint8_t> tail) {
  head.insert(head.end(), tail);
  head.shrink_to_fit();  // no room past the end for a read to land in unseen
  return head;
}

// A sysfs tree as the kernel lays it out for hidraw nodes, in the bus's folders.
class FakeSysfs {
 public:
  explicit FakeSysfs(const testsupport::BusFolder& folder) : folder_(folder) {}

  fs::path sys() const { return folder_.sys(); }
  fs::path dev() const { return folder_.dev(); }

  // A HID device below a USB interface; usb empty: no USB parent (Bluetooth).
  void add(const std::string& node, const std::string& hid_id, const std::string& name, const std::string& uniq,
           const std::vector<uint8_t>& descriptor, const std::map<std::string, std::string>& usb = {}) {
    fs::path parent = usb.empty() ? sys() / "devices/virtual/misc/uhid"
                                  : sys() / "devices/pci0000:00/usb1" / ("1-" + node) / ("1-" + node + ":1.0");
    if (!usb.empty()) {
      for (const auto& [key, value] : usb) WriteText(parent.parent_path() / key, value + "\n");
    }
    fs::path hid = parent / (hid_id + "." + node);
    WriteText(hid / "uevent", "DRIVER=hid-generic\nHID_ID=" + hid_id + "\nHID_NAME=" + name +
                                  "\nHID_PHYS=usb-0000:00:14.0-1/input0\nHID_UNIQ=" + uniq + "\n");
    WriteText(hid / "report_descriptor", bytes(descriptor));
    fs::path cls = sys() / "class/hidraw" / ("hidraw" + node);
    fs::create_directories(cls);
    fs::create_directory_symlink(hid, cls / "device");
  }

 private:
  const testsupport::BusFolder& folder_;
};

const std::map<std::string, std::string> kBootloaderUsb = {
    {"idVendor", "04d8"},          {"idProduct", "003c"}, {"bcdDevice", "0102"}, {"manufacturer", "Simulated Devices"},
    {"product", "HID Bootloader"}, {"serial", "SN-1"}};

class HidrawTest : public testing::Test {
 protected:
  HidrawTest() : sysfs_(folder_) {}

  // An opener that hands out the host end of a socketpair for every node.
  hidbus::NodeOpener socketpair_opener() {
    int ends[2];
    EXPECT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends), 0);
    host_.reset(ends[0]);
    device_.reset(ends[1]);
    return [this](const std::string& node) {
      opened_ = node;
      return ::fcntl(host_.get(), F_DUPFD_CLOEXEC, 0);
    };
  }

  testsupport::BusFolder folder_;
  FakeSysfs sysfs_;
  hidbus::Fd host_, device_;
  std::string opened_;
};

TEST_F(HidrawTest, EnumeratesIdentityFromUeventAndUsbParent) {
  sysfs_.add("0", "0003:000004D8:0000003C", "Simulated Devices HID Bootloader", "", kPlain64, kBootloaderUsb);
  sysfs_.add("1", "0005:0000046D:0000B00C", "BT Remote", "aa:bb:cc:dd:ee:ff", kPlain64);
  hidbus::Bus bus(folder_.options());

  auto devices = bus.enumerate();

  ASSERT_EQ(devices.size(), 2u);
  const auto& usb = devices[0];
  EXPECT_EQ(usb.path, (sysfs_.dev() / "hidraw0").string());
  EXPECT_EQ(usb.vendor_id, 0x04D8);
  EXPECT_EQ(usb.product_id, 0x003C);
  EXPECT_EQ(usb.version, 0x0102);
  EXPECT_EQ(usb.manufacturer, "Simulated Devices");
  EXPECT_EQ(usb.product, "HID Bootloader");
  EXPECT_EQ(usb.serial_number, "SN-1");
  EXPECT_EQ(usb.max_input_report, 64u);
  EXPECT_EQ(usb.max_output_report, 64u);
  EXPECT_EQ(usb.max_feature_report, 0u);
  EXPECT_EQ(usb.usage_page, 0xFF00);
  EXPECT_EQ(usb.usage, 0x0001);
  EXPECT_FALSE(usb.numbered_reports);

  // Without a USB parent the strings come from the uevent alone.
  const auto& bt = devices[1];
  EXPECT_EQ(bt.vendor_id, 0x046D);
  EXPECT_EQ(bt.product_id, 0xB00C);
  EXPECT_EQ(bt.version, 0);
  EXPECT_EQ(bt.manufacturer, "");
  EXPECT_EQ(bt.product, "BT Remote");
  EXPECT_EQ(bt.serial_number, "aa:bb:cc:dd:ee:ff");
}

// A device that leaves while the search reads it makes its files fail (ENODEV);
// a folder in a file's place fails its read(2) the same way, with EISDIR.
struct UnreadableCase {
  const char* name;
  const char* file;  // below the HID device's folder
};
void PrintTo(const UnreadableCase& c, std::ostream* os) { *os << c.name; }

class UnreadableFileTest : public HidrawTest, public testing::WithParamInterface<UnreadableCase> {};

TEST_P(UnreadableFileTest, DeviceIsPassedOverAndTheOthersListed) {
  sysfs_.add("0", "0003:000004D8:0000003C", "Simulated Devices HID Bootloader", "", kPlain64, kBootloaderUsb);
  sysfs_.add("1", "0003:000004D8:0000003C", "Simulated Devices HID Bootloader", "", kPlain64, kBootloaderUsb);
  const fs::path file = fs::canonical(sysfs_.sys() / "class/hidraw/hidraw0/device") / GetParam().file;
  fs::remove(file);
  fs::create_directory(file);
  std::vector<std::string> lines;
  hidbus::set_log_sink([&](const std::string& line) { lines.push_back(line); });
  hidbus::Bus bus(folder_.options());

  auto devices = bus.enumerate();
  // The search asks every second; a file that stays unreadable is named once.
  EXPECT_EQ(bus.enumerate().size(), 1u);
  hidbus::set_log_sink({});

  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].path, (sysfs_.dev() / "hidraw1").string());
  EXPECT_EQ(devices[0].manufacturer, "Simulated Devices");
  EXPECT_EQ(lines, std::vector<std::string>{"hidbus: passed over " + (sysfs_.dev() / "hidraw0").string() +
                                            ": cannot read " + file.lexically_normal().string() + ": Is a directory"});
}

INSTANTIATE_TEST_SUITE_P(Files, UnreadableFileTest,
                         testing::Values(UnreadableCase{"Uevent", "uevent"},
                                         UnreadableCase{"ReportDescriptor", "report_descriptor"},
                                         UnreadableCase{"UsbManufacturer", "../../manufacturer"}),
                         [](const testing::TestParamInfo<UnreadableCase>& info) { return info.param.name; });

struct DescriptorCase {
  const char* name;
  std::vector<uint8_t> descriptor;
  uint32_t input, output, feature;
  uint16_t usage_page, usage;
  bool numbered;
};

void PrintTo(const DescriptorCase& c, std::ostream* os) { *os << c.name; }

class ReportLengthTest : public HidrawTest, public testing::WithParamInterface<DescriptorCase> {};

TEST_P(ReportLengthTest, ReadsLengthsFromTheReportDescriptor) {
  const auto& c = GetParam();
  sysfs_.add("0", "0003:000004D8:0000003C", "x", "", c.descriptor, kBootloaderUsb);
  hidbus::Bus bus(folder_.options());

  auto devices = bus.enumerate();

  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].max_input_report, c.input);
  EXPECT_EQ(devices[0].max_output_report, c.output);
  EXPECT_EQ(devices[0].max_feature_report, c.feature);
  EXPECT_EQ(devices[0].usage_page, c.usage_page);
  EXPECT_EQ(devices[0].usage, c.usage);
  EXPECT_EQ(devices[0].numbered_reports, c.numbered);
  // The bus reads the file into a string, whose terminator would hide a read
  // past the end; from a buffer of exactly its size AddressSanitizer sees one.
  const auto direct = hidbus::detail::parse_report_descriptor(c.descriptor);
  EXPECT_EQ(std::make_tuple(direct.max_input, direct.max_output, direct.max_feature, direct.usage_page, direct.usage,
                            direct.numbered),
            std::make_tuple(c.input, c.output, c.feature, c.usage_page, c.usage, c.numbered));
}

INSTANTIATE_TEST_SUITE_P(
    Descriptors, ReportLengthTest,
    testing::Values(
        DescriptorCase{"plain64", kPlain64, 64, 64, 0, 0xFF00, 1, false},
        // Lengths per report ID, the longest wins and carries the ID byte.
        DescriptorCase{"numbered",
                       {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x08, 0x81, 0x00, 0x85, 0x02,
                        0x95, 0x20, 0x81, 0x00, 0x95, 0x04, 0x91, 0x00, 0x85, 0x03, 0x95, 0x10, 0xB1, 0x00, 0xC0},
                       33,
                       5,
                       17,
                       0x0001,
                       0x0006,
                       true},
        // Bit fields add up within one report.
        DescriptorCase{"bits",
                       {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x01, 0x95,
                        0x03, 0x81, 0x02, 0x75, 0x05, 0x95, 0x01, 0x81, 0x03, 0xC0},
                       1,
                       0,
                       0,
                       0xFF00,
                       1,
                       false},
        // Push and pop restore the globals; a long item is skipped whole.
        DescriptorCase{"push_pop_long",
                       {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x10, 0xA4, 0x95, 0x02,
                        0x81, 0x00, 0xB4, 0x81, 0x00, 0xFE, 0x02, 0x00, 0xAA, 0xBB, 0x91, 0x00, 0xC0},
                       18,
                       16,
                       0,
                       0xFF00,
                       1,
                       false},
        // A report too long to count is the longest there is, not one wrapped to a short length.
        DescriptorCase{"too_long_to_count",
                       {0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81,
                        0x00, 0x75, 0x08, 0x97, 0x01, 0x00, 0x00, 0x40, 0x81, 0x00},
                       0xFFFFFFFF,
                       0,
                       0,
                       0,
                       0,
                       false},
        // A descriptor cut inside an item yields what came before the cut.
        DescriptorCase{"truncated", {0x75, 0x08, 0x95, 0x40, 0x81}, 0, 0, 0, 0, 0, false},
        // So does one cut in a long item's header: at its size byte, or right after it.
        DescriptorCase{"long_item_without_size", Then(kPlain64, {0xFE}), 64, 64, 0, 0xFF00, 1, false},
        DescriptorCase{"long_item_only_size", Then(kPlain64, {0xFE, 0x05}), 64, 64, 0, 0xFF00, 1, false},
        // The first top-level collection names the device, not a later one.
        DescriptorCase{"second_collection",
                       {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x40, 0x81, 0x00,
                        0xC0, 0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x02, 0x95, 0x08, 0x81, 0x00, 0xC0},
                       65,
                       0,
                       0,
                       0xFF00,
                       1,
                       true},
        // Of the usages before the collection, the first.
        DescriptorCase{"second_usage",
                       {0x05, 0x01, 0x09, 0x02, 0x09, 0x06, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x08, 0x81, 0x00, 0xC0},
                       8,
                       0,
                       0,
                       0x0001,
                       0x0002,
                       false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HidrawTest, UnnumberedReportsGoOutBehindAZeroByteAndComeInBare) {
  sysfs_.add("0", "0003:000004D8:0000003C", "x", "", kPlain64, kBootloaderUsb);
  hidbus::Bus bus(folder_.options(socketpair_opener()));
  std::string path = (sysfs_.dev() / "hidraw0").string();

  auto channel = bus.open(path);
  ASSERT_TRUE(channel);
  EXPECT_EQ(opened_, path);

  std::vector<uint8_t> command(64, 0);
  command[0] = 0x02;
  ASSERT_EQ(channel->write_report(0, command, 100), hidbus::Status::ok);
  uint8_t wire[100];
  ASSERT_EQ(::read(device_.get(), wire, sizeof wire), 65);
  EXPECT_EQ(wire[0], 0x00);
  EXPECT_EQ(wire[1], 0x02);

  std::vector<uint8_t> reply(64, 0xAB);
  ASSERT_EQ(::write(device_.get(), reply.data(), reply.size()), 64);
  auto read = channel->read_report(100);
  ASSERT_EQ(read.status, hidbus::Status::ok);
  EXPECT_EQ(read.report.report_id, 0);
  EXPECT_EQ(read.report.data, reply);
}

TEST_F(HidrawTest, NumberedReportsCarryTheirIdBothWays) {
  std::vector<uint8_t> numbered = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x05,
                                   0x75, 0x08, 0x95, 0x03, 0x81, 0x00, 0x91, 0x00, 0xC0};
  sysfs_.add("0", "0003:000004D8:0000003C", "x", "", numbered, kBootloaderUsb);
  hidbus::Bus bus(folder_.options(socketpair_opener()));

  auto channel = bus.open((sysfs_.dev() / "hidraw0").string());
  ASSERT_TRUE(channel);
  const uint8_t out[] = {1, 2, 3};
  ASSERT_EQ(channel->write_report(5, out, 100), hidbus::Status::ok);
  uint8_t wire[16];
  ASSERT_EQ(::read(device_.get(), wire, sizeof wire), 4);
  EXPECT_EQ(wire[0], 5);

  const uint8_t in[] = {5, 9, 8, 7};
  ASSERT_EQ(::write(device_.get(), in, sizeof in), 4);
  auto read = channel->read_report(100);
  ASSERT_EQ(read.status, hidbus::Status::ok);
  EXPECT_EQ(read.report.report_id, 5);
  EXPECT_EQ(read.report.data, (std::vector<uint8_t>{9, 8, 7}));
}

TEST_F(HidrawTest, HangUpIsARemovalAfterQueuedReports) {
  sysfs_.add("0", "0003:000004D8:0000003C", "x", "", kPlain64, kBootloaderUsb);
  hidbus::Bus bus(folder_.options(socketpair_opener()));
  auto channel = bus.open((sysfs_.dev() / "hidraw0").string());
  ASSERT_TRUE(channel);

  std::vector<uint8_t> reply(64, 1);
  ASSERT_EQ(::write(device_.get(), reply.data(), reply.size()), 64);
  device_.reset();
  host_.reset();  // only the channel's end is left

  EXPECT_EQ(channel->read_report(100).status, hidbus::Status::ok);
  EXPECT_EQ(channel->read_report(100).status, hidbus::Status::removed);
  EXPECT_TRUE(channel->removed());
  EXPECT_EQ(channel->write_report(0, reply, 100), hidbus::Status::removed);
}

TEST_F(HidrawTest, ReadAndWriteStopAtTheirTimeOut) {
  sysfs_.add("0", "0003:000004D8:0000003C", "x", "", kPlain64, kBootloaderUsb);
  hidbus::Bus bus(folder_.options(socketpair_opener()));
  auto channel = bus.open((sysfs_.dev() / "hidraw0").string());
  ASSERT_TRUE(channel);

  EXPECT_EQ(channel->read_report(0).status, hidbus::Status::timeout);
  // A device that reads nothing: writes fill the queue, then time out.
  std::vector<uint8_t> report(64, 0);
  hidbus::Status status = hidbus::Status::ok;
  for (int i = 0; i < 100000 && status == hidbus::Status::ok; ++i) status = channel->write_report(0, report, 0);
  EXPECT_EQ(status, hidbus::Status::timeout);
}

struct OpenFailure {
  const char* name;
  int injected_errno;  // 0: open(2) on a node that is not there
  const char* reason;
};

void PrintTo(const OpenFailure& c, std::ostream* os) { *os << c.name; }

class UnopenableNodeTest : public HidrawTest, public testing::WithParamInterface<OpenFailure> {};

TEST_P(UnopenableNodeTest, IsNamedOnTheLogWithTheReason) {
  const auto& c = GetParam();
  sysfs_.add("3", "0003:000004D8:0000003C", "x", "", kPlain64, kBootloaderUsb);
  hidbus::NodeOpener opener;
  if (c.injected_errno) {
    opener = [&](const std::string&) {
      errno = c.injected_errno;
      return -1;
    };
  }
  hidbus::Bus bus(folder_.options(opener));
  std::vector<std::string> lines;
  hidbus::set_log_sink([&](const std::string& line) { lines.push_back(line); });
  std::string path = (sysfs_.dev() / "hidraw3").string();

  int error = 0;
  auto channel = bus.open(path, &error);
  hidbus::set_log_sink({});

  EXPECT_FALSE(channel);
  EXPECT_EQ(error, c.injected_errno ? c.injected_errno : ENOENT);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(path), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("04d8:003c"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find(c.reason), std::string::npos) << lines[0];
}

INSTANTIATE_TEST_SUITE_P(Reasons, UnopenableNodeTest,
                         testing::Values(OpenFailure{"permission", EACCES, "Permission denied"},
                                         OpenFailure{"busy", EBUSY, "Device or resource busy"},
                                         OpenFailure{"missing_node", 0, "No such file or directory"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HidrawTest, UnknownPathsAreNotFound) {
  hidbus::Bus bus(folder_.options());
  int error = 0;
  EXPECT_FALSE(bus.open((sysfs_.dev() / "hidraw9").string(), &error));
  EXPECT_EQ(error, ENOENT);
  EXPECT_FALSE(bus.open("nowhere:1", &error));
  EXPECT_EQ(error, ENOENT);
}

}  // namespace
