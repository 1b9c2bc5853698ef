#include "plugin_host.h"

#include <string>
#include <vector>

namespace {

using machid_test::Definition;
using machid_test::PluginTest;

std::vector<std::string> Declarations() {
  std::vector<std::string> texts;
  for (REALsword i = 0; i < Definition().methodCount; ++i) texts.push_back(Definition().methods[i].declaration);
  return texts;
}

TEST_F(PluginTest, RegistersMacHIDQVXAsDeclared) {
  const REALclassDefinition& d = Definition();
  EXPECT_STREQ(d.name, "MacHIDQVX");
  EXPECT_EQ(d.superName, nullptr);
  EXPECT_EQ(d.version, 12u);
  EXPECT_EQ(d.flags, 4u);
  // 1080 declared bytes on the classic 32-bit layout, rounded up to 1088.
  EXPECT_EQ(d.dataSize, sizeof(void*) == 4 ? 1088u : 1104u);
  EXPECT_NE(d.constructor, nullptr);
  EXPECT_NE(d.destructor, nullptr);

  EXPECT_EQ(Declarations(), (std::vector<std::string>{
                                "Close",
                                "FindFirstDevice as boolean",
                                "FindNextDevice as boolean",
                                "Product as string",
                                "SerialNumber as string",
                                "Manufacturer as string",
                                "ProductID as integer",
                                "VendorID as integer",
                                "VersionNumber as integer",
                                "Connect",
                                "Disconnect",
                                "InstallCallback",
                                "SendMessageMemory(data as memoryblock, offset as integer, length as integer)",
                                "SendMessage(data as string)",
                                "ReadMessage(ReportID as integer, reportType as integer, length as integer) as "
                                "string",
                                "ReadMessageMemory(ReportID as integer, reportType as integer, length as "
                                "integer) as memoryblock",
                                "SendMessageMemory(ReportID as integer, reportType as integer, data as "
                                "memoryblock, offset as integer, length as integer)",
                                "SendMessage(ReportID as integer, reportType as integer, data as string)",
                            }));
  for (REALsword i = 0; i < d.methodCount; ++i) {
    EXPECT_EQ(d.methods[i].flags, 4u) << i;
    EXPECT_EQ(d.methods[i].setter, nullptr) << i;
  }

  ASSERT_EQ(d.propertyCount, 2);
  const char* names[] = {"Lasterror", "TimeOut"};
  const REALsword params[] = {4, 0};
  for (int i = 0; i < 2; ++i) {
    EXPECT_STREQ(d.properties[i].name, names[i]);
    EXPECT_STREQ(d.properties[i].type, "Integer");
    EXPECT_EQ(d.properties[i].flags, 6u);
    EXPECT_EQ(d.properties[i].getter, REALstandardAccessor);
    EXPECT_EQ(d.properties[i].setter, REALstandardAccessor);
    EXPECT_EQ(d.properties[i].param, params[i]);
  }

  ASSERT_EQ(d.eventCount, 2);
  EXPECT_STREQ(d.events[0].declaration, "ReceivedData(data as string, size as integer)");
  EXPECT_STREQ(d.events[1].declaration, "DeviceRemoved(result as integer)");
  ASSERT_EQ(d.constantCount, 3);
  EXPECT_STREQ(d.constants[0].declaration, "kIOHIDReportTypeInput = 0");
  EXPECT_STREQ(d.constants[1].declaration, "kIOHIDReportTypeOutput = 1");
  EXPECT_STREQ(d.constants[2].declaration, "kIOHIDReportTypeFeature = 2");
  EXPECT_EQ(d.sharedPropertyCount, 0);
  EXPECT_EQ(d.sharedMethodCount, 0);
}

TEST_F(PluginTest, ConstructorSetsTimeOut500AndNothingElse) {
  machid_test::Device device;
  EXPECT_EQ(device.TimeOut(), 500);
  EXPECT_EQ(device.Lasterror(), 0);
}

}  // namespace
