// The shipped updater and a device that another local account published
// where the updater looks: the firmware goes nowhere, and the user is told why
// on standard error.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <mutex>
#include <string>

#include "other_account.h"
#include "sim/config.h"
#include "sim/intel_hex.h"
#include "sim/server.h"
#include "support/bundle_copy.h"

namespace {

using testsupport::LinesStartingWith;

TEST(ForeignDeviceTest, DeviceInAFolderOfAnotherAccountGetsNothing) {
  if (!testsupport::CanActAsOtherUser()) GTEST_SKIP() << "acting as another account needs root";
  // A shared folder like /tmp, and in it the user's folder made first by the
  // other account, with a simulated device of its own that takes the package.
  testsupport::ScratchDir temp;
  chmod(temp.path().c_str(), 0711);
  const std::filesystem::path shared = temp / "tmp";
  std::filesystem::create_directory(shared);
  chmod(shared.c_str(), 01777);
  const std::string dir = (shared / ("hidbus-" + std::to_string(geteuid()))).string();
  const std::string dump = (shared / "memory.hex").string();
  testsupport::ForkedChild other([&](int stop_fd, const std::function<void()>& ready) {
    testsupport::BecomeOtherUser();
    if (mkdir(dir.c_str(), 0755) != 0) throw std::runtime_error("cannot make " + dir);
    sim::Device device =
        sim::make_device(sim::parse_args({"--frame-ms", "0", "--erase-ms", "20", "--dump", dump}).config);
    std::mutex mutex;
    sim::serve_virtual(device, mutex, stop_fd, dir, [&](const std::string&) { ready(); });
  });
  ASSERT_EQ(other.failure(), "");

  // Long enough for several searches; the updater searches on until stopped.
  e2e::BundleCopy bundle("updater");
  const testsupport::Outcome run =
      bundle.RunHeadless("press mainWindow.StartButton\n", {{"HIDBUS_VIRTUAL_DIR", dir}}, std::chrono::seconds(6));
  other.stop();

  EXPECT_TRUE(run.timed_out) << run.out;
  EXPECT_EQ(
      LinesStartingWith(run.err, "hidbus: "),
      std::vector<std::string>{"hidbus: passed over the virtual device folder " + dir + ": owned by uid " +
                               std::to_string(testsupport::kOtherUid) + ", not by uid " + std::to_string(geteuid())});
  EXPECT_TRUE(LinesStartingWith(run.err, "Ger\xC3\xA4t gefunden.").empty()) << run.err;
  EXPECT_TRUE(LinesStartingWith(run.err, "Connect").empty()) << run.err;
  EXPECT_TRUE(LinesStartingWith(run.out, "window mainWindow").empty()) << run.out;
  // Not one byte of the device was erased or written.
  const sim::HexImage memory = sim::read_intel_hex_file(dump);
  ASSERT_FALSE(memory.empty());
  for (const auto& [address, byte] : memory) ASSERT_EQ(byte, 0xFF) << "at " << address;
}

}  // namespace
