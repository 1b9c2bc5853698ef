#include "devicelink_fixture.h"
#include "default_device.h"

#include "framework/runloop.h"
#include "pluginhost/pluginhost.h"
#include "runloop_bridge/runloop_bridge.h"

namespace devicelink_test {

framework::TimePoint TickPerReadClock::now() const {
  ++readings_;
  return framework::TimePoint(
      std::chrono::duration_cast<framework::Duration>(std::chrono::duration<int64_t, std::ratio<1, 60>>(readings_)));
}

void DeviceLinkTest::SetUpTestSuite() {
  static pluginhost::Binder* binder = nullptr;  // its entries live for the process
  static const bool bound = [] {
#ifdef DEVICELINK_HOST_VERSION
    // An older host: the plug-ins register in the form of its interface level.
    pluginhost::set_host_version(DEVICELINK_HOST_VERSION);
#endif
    pluginhost::load_plugins(PLUGIN_DIR);
    binder = new pluginhost::Binder;
    runloop_bridge::install();
    members_ = HID::InstallMacDeviceLink(*binder);
    const std::vector<std::string> unresolved = binder->bind();
    for (const auto& label : unresolved) ADD_FAILURE() << "unresolved: " << label;
    return unresolved.empty();
  }();
  ASSERT_TRUE(bound);
}

void DeviceLinkTest::SetUp() {
  ModuleTest::SetUp();
  // The log file's hex text is the bound plug-in's, as start-up makes it.
  bound.EncodingToHexQVX = [](const framework::String& data) { return members_->EncodingToHexQVX(data); };
  debug_log_.clear();
}

void DeviceLinkTest::TearDown() {
  ModuleTest::TearDown();  // releases DeviceMac
  framework::RunLoop::main().set_clock(nullptr);
}

Ref<HID::MyMacHID> DeviceLinkTest::ConnectedDevice() {
  auto attached = bus_.bus().attach(testsupport::BootloaderInfo());
  port_ = std::make_unique<hidbus::DevicePort>(std::move(attached.device_fd), false);
  Ref<HID::MyMacHID> device = framework::make<HID::MyMacHID>(members_, bound);
  EXPECT_TRUE(device->FindFirstDevice());
  device->Connect();
  EXPECT_EQ(device->Lasterror(), 0);
  device->InstallCallback();
  EXPECT_EQ(device->Lasterror(), 0);
  return device;
}

void DeviceLinkTest::Send(const std::vector<uint8_t>& report) {
  ASSERT_EQ(port_->send_input(0, report, 100), hidbus::Status::ok);
}

std::vector<uint8_t> DeviceLinkTest::Output() {
  hidbus::ReadResult r = port_->read_output(100);
  EXPECT_EQ(r.status, hidbus::Status::ok);
  return r.report.data;
}

std::vector<std::string> DeviceLinkTest::DebugLines(const std::string& prefix) const {
  std::vector<std::string> lines;
  for (const std::string& line : debug_log_.lines())
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  return lines;
}

Ref<MemoryBlock> Block(const std::vector<uint8_t>& bytes) {
  Ref<MemoryBlock> block = framework::NewMemoryBlock(static_cast<int64_t>(bytes.size()));
  for (size_t i = 0; i < bytes.size(); ++i) block->set_UInt8Value(static_cast<int64_t>(i), bytes[i]);
  return block;
}

}  // namespace devicelink_test
