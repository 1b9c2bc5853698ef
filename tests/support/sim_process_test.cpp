// What a test sees when bootloader-sim does not get ready: a clear failure
// naming what the program said, not a test that runs on without a device.
#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "sim_process.h"

namespace {

using namespace std::chrono_literals;

struct NotReadyCase {
  friend void PrintTo(const NotReadyCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::vector<std::string> script;  // for /bin/sh -c
  const char* said;
};

class SimNotReadyTest : public testing::TestWithParam<NotReadyCase> {};

TEST_P(SimNotReadyTest, FailsNamingWhatItSaid) {
  try {
    testsupport::SimProcess sim("/bin/sh", GetParam().script, {}, 300ms);
    FAIL() << "ready: " << sim.ready_line();
  } catch (const testsupport::SimNotReady& e) {
    EXPECT_NE(std::string(e.what()).find("/bin/sh did not get ready within 300 ms: "), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find(GetParam().said), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Programs, SimNotReadyTest,
    testing::Values(NotReadyCase{"EndsSilently", {"-c", "exit 0"}, "no line"},
                    NotReadyCase{"SaysSomethingElseFirst", {"-c", "echo busy; echo ready virtual:x"}, "'busy'"},
                    NotReadyCase{"TakesLongerThanTheLimit", {"-c", "sleep 5; echo ready virtual:x"}, "no line"},
                    NotReadyCase{"ReadyWithoutAPath", {"-c", "echo ready; sleep 5"}, "'ready'"}),
    [](const testing::TestParamInfo<NotReadyCase>& info) { return info.param.name; });

TEST(SimProcessTest, TakesThePathFromTheReadyLine) {
  testsupport::SimProcess sim("/bin/sh", {"-c", "echo ready virtual:dev1; exec sleep 5"}, {}, 5s);
  EXPECT_EQ(sim.ready_line(), "ready virtual:dev1");
  EXPECT_EQ(sim.path(), "virtual:dev1");
}

}  // namespace
