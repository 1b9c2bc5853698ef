#include "default_device.h"
#include "iokit/bus.h"
#include "iokit/iokit.h"
#include "iokit/main_run_loop.h"
#include "iokit_bus.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using testsupport::IOKitBus;

std::string text(CFDictionaryRef d, const char* key) {
  auto* s = static_cast<CFStringRef>(CFDictionaryGetValue(d, CFStringMakeConstant(key)));
  if (s == nullptr) return "<none>";
  char buffer[256];
  EXPECT_TRUE(CFStringGetCString(s, buffer, sizeof buffer, kCFStringEncodingUTF8));
  return buffer;
}

int number(CFDictionaryRef d, const char* key) {
  auto* n = static_cast<CFNumberRef>(CFDictionaryGetValue(d, CFStringMakeConstant(key)));
  int v = -1;
  EXPECT_NE(n, nullptr) << key;
  EXPECT_TRUE(CFNumberGetValue(n, kCFNumberIntType, &v));
  return v;
}

std::vector<io_service_t> walk(const char* cls = kIOHIDDeviceKey) {
  io_iterator_t it = 0;
  EXPECT_EQ(IOServiceGetMatchingServices(kIOMasterPortDefault, IOServiceMatching(cls), &it), kIOReturnSuccess);
  std::vector<io_service_t> services;
  while (io_service_t s = IOIteratorNext(it)) services.push_back(s);
  EXPECT_EQ(IOObjectRelease(it), kIOReturnSuccess);
  return services;
}

TEST(IOKitRegistryTest, WalksEveryHidDeviceWithItsProperties) {
  IOKitBus bus;
  auto a = bus.bus().attach(testsupport::BootloaderInfo());
  hidbus::DeviceInfo other;
  other.vendor_id = 0x1234;
  other.product_id = 0x0001;
  other.serial_number = "SN42";
  auto b = bus.bus().attach(other);

  auto services = walk();
  ASSERT_EQ(services.size(), 2u);
  CFMutableDictionaryRef p = nullptr;
  ASSERT_EQ(IORegistryEntryCreateCFProperties(services[0], &p, kCFAllocatorDefault, 0), kIOReturnSuccess);
  EXPECT_EQ(text(p, kIOHIDProductKey), "HID Bootloader");
  EXPECT_EQ(text(p, kIOHIDManufacturerKey), "Microchip Technology Inc.");
  EXPECT_EQ(text(p, kIOHIDSerialNumberKey), "<none>");  // a text the device lacks is absent
  EXPECT_EQ(number(p, kIOHIDVendorIDKey), 0x04D8);
  EXPECT_EQ(number(p, kIOHIDProductIDKey), 0x003C);
  EXPECT_EQ(number(p, kIOHIDVersionNumberKey), 0x0100);
  CFRelease(p);
  ASSERT_EQ(IORegistryEntryCreateCFProperties(services[1], &p, kCFAllocatorDefault, 0), kIOReturnSuccess);
  EXPECT_EQ(text(p, kIOHIDSerialNumberKey), "SN42");
  EXPECT_EQ(text(p, kIOHIDProductKey), "<none>");
  CFRelease(p);

  for (io_service_t s : services) EXPECT_EQ(IOObjectRelease(s), kIOReturnSuccess);
  EXPECT_NE(IOObjectRelease(services[0]), kIOReturnSuccess);  // released already
  EXPECT_NE(IORegistryEntryCreateCFProperties(services[0], &p, kCFAllocatorDefault, 0), kIOReturnSuccess);
}

TEST(IOKitRegistryTest, OtherClassesMatchNothing) {
  IOKitBus bus;
  auto a = bus.bus().attach(testsupport::BootloaderInfo());
  EXPECT_TRUE(walk("IOUSBDevice").empty());
  EXPECT_EQ(walk().size(), 1u);
  io_iterator_t it = 0;
  EXPECT_EQ(IOServiceGetMatchingServices(kIOMasterPortDefault, nullptr, &it), kIOReturnBadArgument);
}

class IOKitDeviceTest : public testing::Test {
 protected:
  void SetUp() override {
    attached_ = bus_.bus().attach(info_);
    auto services = walk();
    ASSERT_EQ(services.size(), 1u);
    service_ = services[0];
    device_ = std::make_unique<hidbus::DevicePort>(std::move(attached_.device_fd), info_.numbered_reports);
  }
  void TearDown() override {
    if (hid_ != nullptr) (*hid_)->Release(hid_);
    if (source_ != nullptr) {
      CFRunLoopRemoveSource(CFRunLoopGetMain(), source_, kCFRunLoopDefaultMode);
      CFRelease(source_);
    }
    IOObjectRelease(service_);
  }

  IOHIDDeviceInterface** interface() {
    IOCFPlugInInterface** plugin = nullptr;
    SInt32 score = 0;
    EXPECT_EQ(IOCreatePlugInInterfaceForService(service_, kIOHIDDeviceUserClientTypeID, kIOCFPlugInInterfaceID, &plugin,
                                                &score),
              kIOReturnSuccess);
    IOHIDDeviceInterface** hid = nullptr;
    EXPECT_EQ(
        (*plugin)->QueryInterface(plugin, CFUUIDGetUUIDBytes(kIOHIDDeviceInterfaceID), reinterpret_cast<LPVOID*>(&hid)),
        S_OK);
    (*plugin)->Release(plugin);
    return hid;
  }

  // Opens the device and puts its source on the main run loop, as a connect does.
  void connect() {
    hid_ = interface();
    ASSERT_EQ((*hid_)->open(hid_, 0), kIOReturnSuccess);
    ASSERT_EQ((*hid_)->createAsyncEventSource(hid_, &source_), kIOReturnSuccess);
    ASSERT_EQ((*hid_)->startAllQueues(hid_), kIOReturnSuccess);
    CFRunLoopAddSource(CFRunLoopGetMain(), source_, kCFRunLoopDefaultMode);
    ASSERT_EQ((*hid_)->setRemovalCallback(hid_, on_removal, this, nullptr), kIOReturnSuccess);
    ASSERT_EQ((*hid_)->setInterruptReportHandlerCallback(hid_, buffer_, sizeof buffer_, on_report, this, nullptr),
              kIOReturnSuccess);
  }

  void send(std::vector<UInt8> bytes, UInt8 id = 0) {
    ASSERT_EQ(device_->send_input(id, bytes, 100), hidbus::Status::ok);
  }

  static void turn() { iokit::builtin_run_loop().run_one_turn(100); }

  static void on_report(void* target, IOReturn result, void*, void*, UInt32 size) {
    auto* self = static_cast<IOKitDeviceTest*>(target);
    EXPECT_EQ(result, kIOReturnSuccess);
    self->reports_.emplace_back(self->buffer_, self->buffer_ + size);
  }
  static void on_removal(void* target, IOReturn, void*, void*) { ++static_cast<IOKitDeviceTest*>(target)->removals_; }

  IOKitBus bus_;
  hidbus::DeviceInfo info_ = testsupport::BootloaderInfo();
  hidbus::AttachedDevice attached_;
  io_service_t service_ = 0;
  std::unique_ptr<hidbus::DevicePort> device_;
  IOHIDDeviceInterface** hid_ = nullptr;
  CFRunLoopSourceRef source_ = nullptr;
  UInt8 buffer_[16] = {};
  std::vector<std::vector<UInt8>> reports_;
  int removals_ = 0;
};

TEST_F(IOKitDeviceTest, PlugInInterfaceNeedsTheHidTypes) {
  IOCFPlugInInterface** plugin = nullptr;
  SInt32 score = 0;
  EXPECT_EQ(
      IOCreatePlugInInterfaceForService(service_, kIOCFPlugInInterfaceID, kIOCFPlugInInterfaceID, &plugin, &score),
      kIOReturnUnsupported);
  EXPECT_EQ(plugin, nullptr);
  EXPECT_EQ(IOCreatePlugInInterfaceForService(0, kIOHIDDeviceUserClientTypeID, kIOCFPlugInInterfaceID, &plugin, &score),
            kIOReturnBadArgument);
  ASSERT_EQ(IOCreatePlugInInterfaceForService(service_, kIOHIDDeviceUserClientTypeID, kIOCFPlugInInterfaceID, &plugin,
                                              &score),
            kIOReturnSuccess);
  LPVOID other = &score;
  EXPECT_EQ((*plugin)->QueryInterface(plugin, CFUUIDGetUUIDBytes(kIOHIDDeviceUserClientTypeID), &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  (*plugin)->Release(plugin);
}

TEST_F(IOKitDeviceTest, ReportsArriveOnlyDuringATurnOfTheMainRunLoop) {
  connect();
  send({1, 2, 3});
  send({4, 5});
  EXPECT_TRUE(reports_.empty());
  turn();
  EXPECT_EQ(reports_, (std::vector<std::vector<UInt8>>{{1, 2, 3}, {4, 5}}));
}

// A device that keeps sending cannot hold the loop: each turn hands on at
// most 32 reports, the next turn the next ones, in order, and the removal
// after the last of them.
TEST_F(IOKitDeviceTest, ATurnHandsOnABoundedNumberOfReports) {
  connect();
  constexpr int kPerTurn = 32;
  constexpr int kSent = kPerTurn + 16;  // within what the bus's channel holds
  for (int i = 0; i < kSent; ++i) send({UInt8(i)});
  device_.reset();
  turn();
  EXPECT_EQ(reports_.size(), std::size_t(kPerTurn));
  EXPECT_EQ(removals_, 0);
  turn();
  ASSERT_EQ(reports_.size(), std::size_t(kSent));
  for (int i = 0; i < kSent; ++i) EXPECT_EQ(reports_[i], std::vector<UInt8>{UInt8(i)});
  EXPECT_EQ(removals_, 1);
}

// Without a report callback the reports are read and dropped, and still
// count against the turn's 32: such a device cannot hold the loop either.
TEST_F(IOKitDeviceTest, ReportsWithoutACallbackCountAgainstTheTurn) {
  connect();
  ASSERT_EQ((*hid_)->setInterruptReportHandlerCallback(hid_, buffer_, sizeof buffer_, nullptr, nullptr, nullptr),
            kIOReturnSuccess);
  constexpr int kPerTurn = 32;
  constexpr int kSent = kPerTurn + 8;
  for (int i = 0; i < kSent; ++i) send({UInt8(i)});
  turn();  // drops the first 32
  ASSERT_EQ((*hid_)->setInterruptReportHandlerCallback(hid_, buffer_, sizeof buffer_, on_report, this, nullptr),
            kIOReturnSuccess);
  turn();
  std::vector<std::vector<UInt8>> rest;
  for (int i = kPerTurn; i < kSent; ++i) rest.push_back({UInt8(i)});
  EXPECT_EQ(reports_, rest);
}

TEST_F(IOKitDeviceTest, AReportLongerThanTheBufferIsCutToIt) {
  connect();
  std::vector<UInt8> long_report(40);
  for (std::size_t i = 0; i < long_report.size(); ++i) long_report[i] = UInt8(i);
  send(long_report);
  send({});
  turn();
  ASSERT_EQ(reports_.size(), 2u);
  EXPECT_EQ(reports_[0], std::vector<UInt8>(long_report.begin(), long_report.begin() + 16));
  EXPECT_TRUE(reports_[1].empty());
}

TEST_F(IOKitDeviceTest, OffTheRunLoopReportsWaitForGetReport) {
  connect();
  CFRunLoopRemoveSource(CFRunLoopGetMain(), source_, kCFRunLoopDefaultMode);
  send({9, 8, 7});
  turn();
  EXPECT_TRUE(reports_.empty());

  UInt8 in[64] = {};
  UInt32 size = sizeof in;
  EXPECT_EQ((*hid_)->getReport(hid_, kIOHIDReportTypeInput, 0, in, &size, 100, nullptr, nullptr, nullptr),
            kIOReturnSuccess);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(in[0], 9);
  size = sizeof in;
  EXPECT_EQ((*hid_)->getReport(hid_, kIOHIDReportTypeInput, 0, in, &size, 1, nullptr, nullptr, nullptr),
            kIOReturnTimeout);
  EXPECT_EQ(size, 0u);
}

TEST_F(IOKitDeviceTest, SetReportWritesOneOutputReport) {
  connect();
  UInt8 packet[64] = {0x02};
  EXPECT_EQ((*hid_)->setReport(hid_, kIOHIDReportTypeOutput, 0, packet, sizeof packet, 2222, nullptr, nullptr, nullptr),
            kIOReturnSuccess);
  hidbus::ReadResult r = device_->read_output(100);
  ASSERT_EQ(r.status, hidbus::Status::ok);
  EXPECT_EQ(r.report.report_id, 0);
  EXPECT_EQ(r.report.data, std::vector<UInt8>(packet, packet + 64));

  EXPECT_EQ((*hid_)->setReport(hid_, kIOHIDReportTypeFeature, 0, packet, sizeof packet, 10, nullptr, nullptr, nullptr),
            kIOReturnUnsupported);
  EXPECT_EQ((*hid_)->setReport(hid_, kIOHIDReportTypeOutput, 0, packet, sizeof packet, 10, on_report, this, nullptr),
            kIOReturnUnsupported);  // synchronous only
}

TEST_F(IOKitDeviceTest, ARemovalIsToldOnceAndLaterWritesFail) {
  connect();
  send({1});
  device_.reset();  // the device end closes: the device is gone
  turn();
  EXPECT_EQ(reports_.size(), 1u);  // what came before the removal still arrives
  EXPECT_EQ(removals_, 1);
  turn();
  EXPECT_EQ(removals_, 1);
  UInt8 packet[64] = {};
  EXPECT_EQ((*hid_)->setReport(hid_, kIOHIDReportTypeOutput, 0, packet, sizeof packet, 10, nullptr, nullptr, nullptr),
            kIOReturnNoDevice);
}

TEST_F(IOKitDeviceTest, AClosedDeviceRefusesReportsAndAGoneOneCannotOpen) {
  hid_ = interface();
  UInt8 packet[64] = {};
  EXPECT_EQ((*hid_)->setReport(hid_, kIOHIDReportTypeOutput, 0, packet, sizeof packet, 10, nullptr, nullptr, nullptr),
            kIOReturnNotOpen);
  EXPECT_EQ((*hid_)->close(hid_), kIOReturnNotOpen);
  EXPECT_EQ((*hid_)->startAllQueues(hid_), kIOReturnNotOpen);
  EXPECT_EQ((*hid_)->open(hid_, 0), kIOReturnSuccess);
  EXPECT_EQ((*hid_)->close(hid_), kIOReturnSuccess);
  ASSERT_TRUE(bus_.bus().detach(attached_.path));
  EXPECT_EQ((*hid_)->open(hid_, 0), kIOReturnNoDevice);
}

class IOKitNumberedDeviceTest : public IOKitDeviceTest {
 public:
  IOKitNumberedDeviceTest() { info_.numbered_reports = true; }
};

TEST_F(IOKitNumberedDeviceTest, NumberedReportsKeepTheirIdFirst) {
  connect();
  send({0xAA, 0xBB}, 3);
  turn();
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0], (std::vector<UInt8>{3, 0xAA, 0xBB}));
}

}  // namespace
