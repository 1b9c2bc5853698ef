// The shipped build, linked against `protocol`: none of the trace happens.
#include <gtest/gtest.h>

#include "protocol/hid.h"
#include "trace_fixture.h"

namespace {

using tracetest::TraceTest;

TEST_F(TraceTest, TheShippedBuildOpensNoLogFileAndReportsNoRegion) {
  HID::InitLog("Debug");
  EXPECT_FALSE(HID::logfile);
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *hidtest::QueryReply(56, 1, {{1, 0x1000, 3}})));
  EXPECT_EQ(HID::memoryRegionsDetected, 1);
  HID::DumpMemoryRegions(bound);
  EXPECT_FALSE(HID::logfile);
  EXPECT_TRUE(folder.Files().empty());
  EXPECT_TRUE(DebugLines().empty());
}

}  // namespace
