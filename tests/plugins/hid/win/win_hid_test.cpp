#include <ostream>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <cstring>
#include <optional>
#include <unistd.h>
#include <filesystem>
#include <thread>

#include "bus_folder.h"
#include "framework/memoryblock.h"
#include "hidbus/hidbus.h"
#include "pluginhost/pluginhost.h"
#include "sim/sim.h"
#include "win32/kernel32.h"
#include "win32/system.h"

namespace {

using framework::MemoryBlock;
using framework::Object;
using framework::Ref;
using framework::String;
using pluginhost::Method;
using pluginhost::Property;
using Bytes = std::vector<uint8_t>;

struct Members {
  pluginhost::Binder b;
  const char* c = "WinHIDQVX";
  Method<bool(Ref<Object>)> FindFirstDevice = b.method<bool(Ref<Object>)>(c, "FindFirstDevice as boolean");
  Method<bool(Ref<Object>)> FindNextDevice = b.method<bool(Ref<Object>)>(c, "FindNextDevice as boolean");
  Method<String(Ref<Object>)> Product = b.method<String(Ref<Object>)>(c, "Product as string");
  Method<String(Ref<Object>)> Manufacturer = b.method<String(Ref<Object>)>(c, "Manufacturer as string");
  Method<String(Ref<Object>)> SerialNumber = b.method<String(Ref<Object>)>(c, "SerialNumber as string");
  Method<String(Ref<Object>)> DevicePath = b.method<String(Ref<Object>)>(c, "DevicePath as string");
  Method<int32_t(Ref<Object>)> VendorID = b.method<int32_t(Ref<Object>)>(c, "VendorID as integer");
  Method<int32_t(Ref<Object>)> ProductID = b.method<int32_t(Ref<Object>)>(c, "ProductID as integer");
  Method<int32_t(Ref<Object>)> VersionNumber = b.method<int32_t(Ref<Object>)>(c, "VersionNumber as integer");
  Method<bool(Ref<Object>)> Connect = b.method<bool(Ref<Object>)>(c, "Connect as boolean");
  Method<void(Ref<Object>)> Disconnect = b.method<void(Ref<Object>)>(c, "Disconnect");
  Method<void(Ref<Object>)> Close = b.method<void(Ref<Object>)>(c, "Close");
  Method<int32_t(Ref<Object>, Ref<MemoryBlock>, int32_t, int32_t)> SendMessageMemory =
      b.method<int32_t(Ref<Object>, Ref<MemoryBlock>, int32_t, int32_t)>(
          c, "SendMessageMemory(data as memoryblock, offset as integer, length as integer) as integer");
  Method<int32_t(Ref<Object>, String)> SendMessage =
      b.method<int32_t(Ref<Object>, String)>(c, "SendMessage(data as string) as integer");
  Method<String(Ref<Object>, int32_t, int32_t)> ReadMessage = b.method<String(Ref<Object>, int32_t, int32_t)>(
      c, "ReadMessage(length as integer, timeOut as Integer = 0) as string");
  Method<Ref<MemoryBlock>(Ref<Object>, int32_t, int32_t)> ReadMessageMemory =
      b.method<Ref<MemoryBlock>(Ref<Object>, int32_t, int32_t)>(
          c, "ReadMessageMemory(length as integer, timeOut as Integer = 0) as memoryblock");
  Method<bool(Ref<Object>, int32_t)> InstallListener =
      b.method<bool(Ref<Object>, int32_t)>(c, "InstallListener(PollSize as integer) as boolean");
  Method<String(Ref<Object>)> PollString = b.method<String(Ref<Object>)>(c, "PollString as string");
  Method<Ref<MemoryBlock>(Ref<Object>)> PollMemory =
      b.method<Ref<MemoryBlock>(Ref<Object>)>(c, "PollMemory as memoryblock");
  Property<int32_t> Lasterror = b.property<int32_t>(c, "Lasterror as Integer");
  Property<String> LasterrorString = b.property<String>(c, "LasterrorString as String");
  Property<int32_t> ReadHandle = b.property<int32_t>(c, "ReadHandle as Integer");
  Property<int32_t> WriteHandle = b.property<int32_t>(c, "WriteHandle as Integer");
  Property<int32_t> ThreadHandle = b.property<int32_t>(c, "ThreadHandle as Integer");
  Property<int32_t> InputReportByteLength = b.property<int32_t>(c, "InputReportByteLength as Integer");
  std::vector<std::string> unresolved = b.bind();
};

Members& m() {
  static Members* members = [] {
    pluginhost::load_plugins(WINHID_DIR);
    return new Members;
  }();
  return *members;
}

hidbus::DeviceInfo Info(uint16_t vendor = 0x04D8, const std::string& product = "HID Bootloader") {
  hidbus::DeviceInfo info;
  info.vendor_id = vendor;
  info.product_id = 0x003C;
  info.version = 0x0102;
  info.manufacturer = "Maker";
  info.product = product;
  info.serial_number = "S-1";
  info.max_input_report = 64;
  info.max_output_report = 64;
  return info;
}

Bytes Pattern(uint8_t first) {
  Bytes b(64);
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(first + i);
  return b;
}

Bytes BytesOf(const Ref<MemoryBlock>& block) { return Bytes(block->data(), block->data() + block->Size()); }

// Plug-in data fields that are no properties.
int32_t Field(const Ref<Object>& o, size_t offset) {
  int32_t v;
  std::memcpy(&v, static_cast<unsigned char*>(pluginhost::plugin_data(o.get())) + offset, 4);
  return v;
}
void* PointerField(const Ref<Object>& o, size_t offset) {
  void* p;
  std::memcpy(&p, static_cast<unsigned char*>(pluginhost::plugin_data(o.get())) + offset, sizeof p);
  return p;
}
uint8_t ByteField(const Ref<Object>& o, size_t offset) {
  return static_cast<unsigned char*>(pluginhost::plugin_data(o.get()))[offset];
}
size_t PollBufferOffset() { return sizeof(void*) == 4 ? 1084 : 1088; }
constexpr size_t kDataEvent = 24, kListenerDone = 53;

// Whether the event in that field is signalled, looked at without waiting.
bool Signalled(const Ref<Object>& o, size_t offset) {
  return WaitForSingleObject(reinterpret_cast<HANDLE>(static_cast<intptr_t>(Field(o, offset))), 0) == WAIT_OBJECT_0;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// A bus of the test's own: only the devices it attaches.
class WinHIDTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m().unresolved.empty()) << m().unresolved.front();
    UseBus({});
    object = pluginhost::new_instance("WinHIDQVX");
    ASSERT_TRUE(object);
  }
  // The test's bus; `opener` opens its hidraw nodes.
  void UseBus(hidbus::NodeOpener opener) {
    win32::set_bus(nullptr);
    bus_ = std::make_unique<hidbus::Bus>(folder_.options(std::move(opener)));
    win32::set_bus(bus_.get());
  }
  // A hidraw node of the bootloader in the bus's sysfs, as the kernel lists it.
  void AddHidrawNode() {
    const std::filesystem::path hid = folder_.sys() / "devices/virtual/misc/uhid/0003:000004D8:0000003C.0001";
    WriteFile(hid / "uevent", "DRIVER=hid-generic\nHID_ID=0003:000004D8:0000003C\nHID_NAME=HID Bootloader\n");
    // Vendor page, 64-byte input and output reports.
    const unsigned char descriptor[] = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x19, 0x01, 0x29,
                                        0x40, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40,
                                        0x81, 0x00, 0x19, 0x01, 0x29, 0x40, 0x91, 0x00, 0xC0};
    WriteFile(hid / "report_descriptor", std::string(std::begin(descriptor), std::end(descriptor)));
    const std::filesystem::path node = folder_.sys() / "class/hidraw/hidraw0";
    std::filesystem::create_directories(node);
    std::filesystem::create_directory_symlink(hid, node / "device");
  }
  void TearDown() override {
    object = nullptr;
    win32::set_bus(nullptr);
    win32::restore_libraries();
    ports_.clear();
    bus_.reset();
  }
  hidbus::DevicePort& Attach(hidbus::DeviceInfo info = Info()) {
    hidbus::AttachedDevice a = bus_->attach(std::move(info));
    paths_.push_back(a.path);
    ports_.push_back(std::make_unique<hidbus::DevicePort>(std::move(a.device_fd), false));
    return *ports_.back();
  }
  void Connected() {
    ASSERT_TRUE(m().FindFirstDevice(object));
    ASSERT_TRUE(m().Connect(object));
  }
  int32_t Lasterror() { return m().Lasterror.get(object); }

  Ref<Object> object;
  std::unique_ptr<hidbus::Bus> bus_;
  std::vector<std::unique_ptr<hidbus::DevicePort>> ports_;
  std::vector<std::string> paths_;
  testsupport::BusFolder folder_;
};

TEST_F(WinHIDTest, NoDeviceEndsTheWalkAtOnce) {
  EXPECT_FALSE(m().FindFirstDevice(object));
  EXPECT_EQ(Lasterror(), -1);
}

TEST_F(WinHIDTest, WalkTellsEachDeviceAndEnds) {
  Attach(Info(0xFFFF, "First"));
  Attach(Info(0x04D8, ""));
  ASSERT_TRUE(m().FindFirstDevice(object));
  EXPECT_EQ(Lasterror(), 0);
  EXPECT_EQ(m().VendorID(object), 0xFFFF) << "the 16-bit value, never negative";
  EXPECT_EQ(m().Product(object).bytes(), "First");
  EXPECT_EQ(m().Manufacturer(object).bytes(), "Maker");
  EXPECT_EQ(m().SerialNumber(object).bytes(), "S-1");
  EXPECT_EQ(m().VersionNumber(object), 0x0102);
  EXPECT_EQ(m().InputReportByteLength.get(object), 64);
  EXPECT_NE(std::string(m().DevicePath(object).bytes()).find(paths_[0]), std::string::npos);

  ASSERT_TRUE(m().FindNextDevice(object));
  EXPECT_EQ(m().ProductID(object), 0x003C);
  EXPECT_FALSE(m().Product(object).object()) << "no product string: nil";
  EXPECT_EQ(Lasterror(), 0);
  EXPECT_FALSE(m().FindNextDevice(object));
  EXPECT_EQ(Field(object, 32), 2) << "DeviceIndex";
  EXPECT_NE(std::string(m().DevicePath(object).bytes()).find(paths_[1]), std::string::npos) << "the last path stays";
}

TEST_F(WinHIDTest, GettersBeforeAnyWalkGiveNothing) {
  EXPECT_FALSE(m().Product(object).object());
  EXPECT_EQ(Lasterror(), -1);
  EXPECT_EQ(m().VendorID(object), 0);
  EXPECT_EQ(Lasterror(), -1);
  EXPECT_FALSE(m().DevicePath(object).object());
}

TEST_F(WinHIDTest, DeviceGoneDuringTheWalkIsStillReportedButCannotBeAsked) {
  Attach();
  Attach();
  ASSERT_TRUE(m().FindFirstDevice(object));
  bus_->detach(paths_[1]);
  ASSERT_TRUE(m().FindNextDevice(object));
  EXPECT_FALSE(m().Product(object).object());
  EXPECT_EQ(Lasterror(), 1);
  EXPECT_EQ(m().VendorID(object), 0);
  EXPECT_EQ(Lasterror(), -1);
  EXPECT_TRUE(m().DevicePath(object).object());
  EXPECT_FALSE(m().Connect(object));
  EXPECT_EQ(Lasterror(), 2) << "file not found";
}

TEST_F(WinHIDTest, FindNextDeviceLeavesLasterrorAlone) {
  Attach();
  Attach();
  ASSERT_TRUE(m().FindFirstDevice(object));
  m().Lasterror.set(object, 1234);
  EXPECT_TRUE(m().FindNextDevice(object));
  EXPECT_EQ(Lasterror(), 1234);
  EXPECT_FALSE(m().FindNextDevice(object));
  EXPECT_EQ(Lasterror(), 1234) << "the end of the walk neither";
}

// A device that refuses to be opened for reading and writing is still found:
// the open without access gives its identity.
TEST_F(WinHIDTest, DeviceThatCannotBeOpenedReadWriteIsFoundThroughTheFallbackOpens) {
  AddHidrawNode();
  UseBus([](const std::string&) {
    errno = EACCES;
    return -1;
  });
  ASSERT_TRUE(m().FindFirstDevice(object));
  EXPECT_EQ(Lasterror(), 0) << "one of the opens succeeded";
  EXPECT_NE(Field(object, 16), 0) << "HidHandle";
  EXPECT_NE(Field(object, 16), -1) << "HidHandle";
  EXPECT_EQ(m().VendorID(object), 0x04D8);
  EXPECT_EQ(m().ProductID(object), 0x003C);
  EXPECT_FALSE(m().Connect(object));
  EXPECT_EQ(Lasterror(), 5) << "access denied";
}

TEST_F(WinHIDTest, WithoutHidLibraryNothingIsFound) {
  Attach();
  win32::withdraw_library("hid.dll");
  Ref<Object> other = pluginhost::new_instance("WinHIDQVX");
  EXPECT_FALSE(m().FindFirstDevice(other));
  EXPECT_EQ(m().Lasterror.get(other), -1);
}

TEST_F(WinHIDTest, SendsAndReadsReportsOfTheConnectedDevice) {
  hidbus::DevicePort& port = Attach();
  Connected();
  EXPECT_EQ(Lasterror(), 0);
  EXPECT_NE(m().ReadHandle.get(object), 0);
  EXPECT_NE(m().WriteHandle.get(object), 0);

  Ref<MemoryBlock> packet = framework::NewMemoryBlock(64);
  std::memcpy(packet->data(), Pattern(2).data(), 64);
  EXPECT_EQ(m().SendMessageMemory(object, packet, 0, 64), 64);
  EXPECT_EQ(Lasterror(), 0);
  hidbus::ReadResult out = port.read_output(1000);
  ASSERT_EQ(out.status, hidbus::Status::ok);
  EXPECT_EQ(out.report.data, Pattern(2)) << "the 64 bytes are the report";

  ASSERT_EQ(port.send_input(0, Pattern(9), 1000), hidbus::Status::ok);
  Ref<MemoryBlock> answer = m().ReadMessageMemory(object, 64, 1000);
  ASSERT_TRUE(answer);
  EXPECT_EQ(BytesOf(answer), Pattern(9));
}

TEST_F(WinHIDTest, ReadThatWaitsLeavesIoPending) {
  hidbus::DevicePort& port = Attach();
  Connected();
  std::thread later([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    port.send_input(0, Pattern(1), 1000);
  });
  Ref<MemoryBlock> answer = m().ReadMessageMemory(object, 64, 2000);
  later.join();
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->Size(), 64);
  EXPECT_EQ(Lasterror(), 997);
}

// The two forms of the read: the report's bytes, nullopt for nil.
struct ReadForm {
  const char* name;
  std::optional<Bytes> (*read)(const Ref<Object>& object, int32_t length, int32_t timeOut);
};
void PrintTo(const ReadForm& form, std::ostream* os) { *os << form.name; }

class EndlessReadTest : public WinHIDTest, public testing::WithParamInterface<ReadForm> {};

// -1 is the platform's endless wait: the read waits for the report however
// long it takes, in either form.
TEST_P(EndlessReadTest, ReadWithMinusOneWaitsUntilAReportArrives) {
  hidbus::DevicePort& port = Attach();
  Connected();
  std::thread later([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    port.send_input(0, Pattern(4), 1000);
  });
  std::optional<Bytes> answer = GetParam().read(object, 64, -1);
  later.join();
  ASSERT_TRUE(answer);
  EXPECT_EQ(*answer, Pattern(4));
  EXPECT_EQ(Lasterror(), 997);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, EndlessReadTest,
    testing::Values(ReadForm{"Memory",
                             [](const Ref<Object>& o, int32_t length, int32_t timeOut) -> std::optional<Bytes> {
                               Ref<MemoryBlock> block = m().ReadMessageMemory(o, length, timeOut);
                               if (!block) return std::nullopt;
                               return BytesOf(block);
                             }},
                    ReadForm{"String",
                             [](const Ref<Object>& o, int32_t length, int32_t timeOut) -> std::optional<Bytes> {
                               String text = m().ReadMessage(o, length, timeOut);
                               if (!text.object()) return std::nullopt;
                               const std::string_view bytes = text.bytes();
                               return Bytes(bytes.begin(), bytes.end());
                             }}),
    [](const testing::TestParamInfo<ReadForm>& info) { return info.param.name; });

TEST_F(WinHIDTest, ReadThatTimesOutIsCancelledAndLosesNothing) {
  hidbus::DevicePort& port = Attach();
  Connected();
  EXPECT_FALSE(m().ReadMessageMemory(object, 64, 0));
  EXPECT_EQ(Lasterror(), 997);
  ASSERT_EQ(port.send_input(0, Bytes{0x41, 0x42}, 1000), hidbus::Status::ok);
  String s = m().ReadMessage(object, 64, 1000);
  EXPECT_EQ(s.bytes(), "AB");
  EXPECT_EQ(s.encoding(), 0x0600u);
}

TEST_F(WinHIDTest, AnswersQueryOfTheSimulatedBootloader) {
  sim::Config config;
  config.erase_ms = 0;
  sim::InProcessDevice device(config, *bus_);
  Connected();
  Ref<MemoryBlock> query = framework::NewMemoryBlock(64);
  std::memset(query->data(), 0, 64);
  query->data()[0] = 0x02;
  EXPECT_EQ(m().SendMessageMemory(object, query, 0, 64), 64);
  Ref<MemoryBlock> reply = m().ReadMessageMemory(object, 64, 1000);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->data()[0], 0x02);
  EXPECT_EQ(reply->data()[1], 56) << "bytes per packet";
}

class NonPositiveReadLengthTest : public WinHIDTest, public testing::WithParamInterface<int32_t> {};
TEST_P(NonPositiveReadLengthTest, GivesNilAndMinusOne) {
  Attach();
  Connected();
  EXPECT_FALSE(m().ReadMessage(object, GetParam(), 100).object());
  EXPECT_EQ(Lasterror(), -1);
  EXPECT_FALSE(m().ReadMessageMemory(object, GetParam(), 100));
  EXPECT_EQ(Lasterror(), -1);
}
INSTANTIATE_TEST_SUITE_P(Lengths, NonPositiveReadLengthTest, testing::Values(0, -5));

struct Range {
  friend void PrintTo(const Range& c, std::ostream* os) { *os << "offset " << c.offset << " length " << c.length; }
  int32_t offset, length;
};
class RangeOutsideTheBlockTest : public WinHIDTest, public testing::WithParamInterface<Range> {};
TEST_P(RangeOutsideTheBlockTest, IsNotSent) {
  hidbus::DevicePort& port = Attach();
  Connected();
  Ref<MemoryBlock> block = framework::NewMemoryBlock(64);
  EXPECT_EQ(m().SendMessageMemory(object, block, GetParam().offset, GetParam().length), 0);
  EXPECT_EQ(Lasterror(), 87);
  EXPECT_EQ(port.read_output(0).status, hidbus::Status::timeout);
}
INSTANTIATE_TEST_SUITE_P(Ranges, RangeOutsideTheBlockTest,
                         testing::Values(Range{0, 65}, Range{60, 8}, Range{-1, 4}, Range{1, INT32_MAX}, Range{0, -1}));

// An empty block keeps a buffer of one byte; only a foreign block of unknown
// size is sent unchecked.
TEST_F(WinHIDTest, EmptyBlockIsNotSentAndOneOfUnknownSizeIs) {
  hidbus::DevicePort& port = Attach();
  Connected();
  EXPECT_EQ(m().SendMessageMemory(object, framework::NewMemoryBlock(0), 0, 64), 0);
  EXPECT_EQ(Lasterror(), 87);
  EXPECT_EQ(port.read_output(0).status, hidbus::Status::timeout);

  std::vector<uint8_t> bytes(64, 0x02);
  EXPECT_EQ(m().SendMessageMemory(object, framework::foreign_memory_block(bytes.data()), 0, 64), 64);
  EXPECT_EQ(Lasterror(), 0);
  hidbus::ReadResult sent = port.read_output(1000);
  EXPECT_EQ(sent.status, hidbus::Status::ok);
  EXPECT_EQ(sent.report.data, bytes);
}

TEST_F(WinHIDTest, NilBlockIsNotSent) {
  Attach();
  Connected();
  EXPECT_EQ(m().SendMessageMemory(object, nullptr, 0, 64), 0);
  EXPECT_EQ(Lasterror(), 87);
}

TEST_F(WinHIDTest, NotConnectedReportsTheInvalidHandle) {
  Ref<MemoryBlock> block = framework::NewMemoryBlock(64);
  EXPECT_EQ(m().SendMessageMemory(object, block, 0, 64), 0);
  EXPECT_EQ(Lasterror(), 6);
  EXPECT_EQ(m().LasterrorString.get(object).bytes(), "The handle is invalid.\r\n");
  EXPECT_FALSE(m().ReadMessageMemory(object, 64, 0));
  EXPECT_EQ(Lasterror(), 6);
  m().Disconnect(object);
  EXPECT_EQ(Lasterror(), 0);
  m().FindFirstDevice(object);
  EXPECT_FALSE(m().LasterrorString.get(object).object()) << "no text for -1";
}

TEST_F(WinHIDTest, RemovedDeviceFailsWrites) {
  Attach();
  Connected();
  bus_->detach(paths_[0]);
  EXPECT_EQ(m().SendMessage(object, String("abc")), 0);
  EXPECT_EQ(Lasterror(), 1167);
  EXPECT_FALSE(m().ReadMessageMemory(object, 64, 10));
}

TEST_F(WinHIDTest, FindFirstDeviceEndsTheConnection) {
  Attach();
  Connected();
  EXPECT_TRUE(m().FindFirstDevice(object));
  EXPECT_EQ(m().ReadHandle.get(object), 0);
  EXPECT_EQ(m().WriteHandle.get(object), 0);
}

TEST_F(WinHIDTest, ListenerNeedsASizeAndAConnection) {
  EXPECT_FALSE(m().PollString(object).object());
  EXPECT_FALSE(m().InstallListener(object, 64)) << "not connected";
  Attach();
  Connected();
  ASSERT_TRUE(m().InstallListener(object, 64));
  EXPECT_NE(m().ThreadHandle.get(object), 0);
  EXPECT_FALSE(m().InstallListener(object, 0));
  EXPECT_EQ(m().ThreadHandle.get(object), 0) << "the running listener stopped";
}

// Polls until a report is there, for at most two seconds.
template <typename F>
auto PollFor(F poll) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  auto r = poll();
  while (!r && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    r = poll();
  }
  return r;
}

TEST_F(WinHIDTest, ListenerHandsOutReportsOneAtATimeInOrder) {
  hidbus::DevicePort& port = Attach();
  Connected();
  ASSERT_TRUE(m().InstallListener(object, 64));
  for (uint8_t i = 0; i < 3; ++i) ASSERT_EQ(port.send_input(0, Pattern(i * 10), 1000), hidbus::Status::ok);
  for (uint8_t i = 0; i < 3; ++i) {
    Ref<MemoryBlock> r = PollFor([&] { return m().PollMemory(object); });
    ASSERT_TRUE(r) << i;
    EXPECT_EQ(BytesOf(r), Pattern(i * 10));
  }
  EXPECT_FALSE(m().PollMemory(object)) << "nothing more arrived";
  EXPECT_EQ(Lasterror(), 0) << "the listener leaves Lasterror alone";
}

// The mailbox is empty again after a poll: the data event is reset, not left
// for the next poll to find.
TEST_F(WinHIDTest, PollResetsTheDataEvent) {
  hidbus::DevicePort& port = Attach();
  Connected();
  ASSERT_TRUE(m().InstallListener(object, 64));
  ASSERT_EQ(port.send_input(0, Pattern(7), 1000), hidbus::Status::ok);
  ASSERT_TRUE(PollFor([&] { return m().PollMemory(object); }));
  EXPECT_FALSE(Signalled(object, kDataEvent));
}

TEST_F(WinHIDTest, StopListenerReturnsOnlyAfterTheThreadHasEnded) {
  hidbus::DevicePort& port = Attach();
  Connected();
  ASSERT_TRUE(m().InstallListener(object, 64));
  ASSERT_EQ(port.send_input(0, Pattern(1), 1000), hidbus::Status::ok);
  ASSERT_TRUE(PollFor([&] { return m().PollMemory(object); }));  // the thread is in its loop
  EXPECT_FALSE(m().InstallListener(object, 0));                  // stops it
  EXPECT_EQ(ByteField(object, kListenerDone), 1) << "the thread has left its loop";
  EXPECT_EQ(PointerField(object, PollBufferOffset() + sizeof(void*)), nullptr) << "and freed its read buffer";
}

TEST_F(WinHIDTest, DeviceRemovedWhileTheListenerRunsEndsNothingButItsReports) {
  hidbus::DevicePort& port = Attach();
  Connected();
  ASSERT_TRUE(m().InstallListener(object, 64));
  ASSERT_EQ(port.send_input(0, Pattern(2), 1000), hidbus::Status::ok);
  Ref<MemoryBlock> before = PollFor([&] { return m().PollMemory(object); });
  ASSERT_TRUE(before);
  EXPECT_EQ(BytesOf(before), Pattern(2));
  bus_->detach(paths_[0]);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));  // reads fail and start again meanwhile
  EXPECT_FALSE(m().PollMemory(object));
  m().Close(object);
  EXPECT_EQ(m().ThreadHandle.get(object), 0);
  EXPECT_EQ(ByteField(object, kListenerDone), 1);
}

TEST_F(WinHIDTest, PolledStringKeepsBytesOfUndeterminedEncoding) {
  hidbus::DevicePort& port = Attach();
  Connected();
  ASSERT_TRUE(m().InstallListener(object, 64));
  ASSERT_EQ(port.send_input(0, Bytes{0x41, 0x80}, 1000), hidbus::Status::ok);
  String s = PollFor([&] {
               String p = m().PollString(object);
               return p.object() ? std::optional<String>(p) : std::nullopt;
             }).value_or(String());
  EXPECT_EQ(s.bytes(), "A\x80");
  EXPECT_EQ(s.encoding(), 0xFFFFu);
}

TEST_F(WinHIDTest, CloseStopsTheListenerAndFreesItsBuffers) {
  Attach();
  Connected();
  ASSERT_TRUE(m().InstallListener(object, 64));
  m().Close(object);
  EXPECT_EQ(m().ThreadHandle.get(object), 0);
  EXPECT_EQ(Field(object, 20), 0) << "ReadyEvent";
  EXPECT_EQ(Field(object, 24), 0) << "DataEvent";
  EXPECT_EQ(PointerField(object, PollBufferOffset()), nullptr);
  EXPECT_EQ(PointerField(object, PollBufferOffset() + sizeof(void*)), nullptr);
}

TEST_F(WinHIDTest, DisconnectStopsTheListenerBeforeItsHandleCloses) {
  hidbus::DevicePort& port = Attach();
  Connected();
  ASSERT_TRUE(m().InstallListener(object, 64));
  m().Disconnect(object);
  EXPECT_EQ(m().ThreadHandle.get(object), 0);
  port.send_input(0, Pattern(0), 1000);
  EXPECT_FALSE(m().PollMemory(object));
}

TEST_F(WinHIDTest, ObjectEndsWithItsListenerRunning) {
  Attach();
  Connected();
  ASSERT_TRUE(m().InstallListener(object, 64));
  object = nullptr;  // the destructor stops the thread before the data goes
}

}  // namespace
