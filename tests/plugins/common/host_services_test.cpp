#include "fixture.h"

namespace {

using namespace plugincommon;

TEST_F(PluginCommonTest, LooksUpServiceOnceAndKeepsIt) {
  Load();
  for (int i = 0; i < 3; ++i) fakehost::Unlock(host::REALBuildString("ab", 2));
  EXPECT_EQ(host().LookupsOf("REALBuildString"), 1);
}

TEST_F(PluginCommonTest, FailedLookUpIsRetriedOnNextUse) {
  auto build = host().services["REALBuildString"];
  Lack("REALBuildString");
  Load();
  EXPECT_EQ(host::REALBuildString("ab", 2), nullptr);
  EXPECT_EQ(host::REALBuildString("ab", 2), nullptr);
  EXPECT_EQ(host().LookupsOf("REALBuildString"), 2);
  host().services["REALBuildString"] = build;
  REALstring s = host::REALBuildString("ab", 2);
  ASSERT_NE(s, nullptr);
  fakehost::Unlock(s);
  EXPECT_EQ(host().LookupsOf("REALBuildString"), 3);
}

TEST_F(PluginCommonTest, EveryServiceIsNeutralWithoutHost) {
  // No REALPluginMain yet: no resolver at all.
  REALstringData data{};
  EXPECT_EQ(host::REALBuildString("ab", 2), nullptr);
  EXPECT_EQ(host::REALGetStringEncoding(nullptr), 0u);
  EXPECT_FALSE(host::REALinRuntime());
  EXPECT_FALSE(host::PluginGetStringData(nullptr, 0, &data));
  EXPECT_EQ(host::newMemoryBlock(4), nullptr);
  EXPECT_EQ(host::memoryBlockGetSize(nullptr), 0);
  EXPECT_EQ(host::GetEventInstance(nullptr, 1), nullptr);
  EXPECT_FALSE(host::REALFSSpecFromFolderItem(nullptr, nullptr));
  host::RuntimeRaiseException(nullptr);
  host::REALUnlockObject(nullptr);
  EXPECT_TRUE(host().lookups.empty());
}

TEST_F(PluginCommonTest, ServiceNamesAreTheHostsNames) {
  EXPECT_STREQ(ServiceName(Service::PluginRegisterClass), "PluginRegisterClass");
  EXPECT_STREQ(ServiceName(Service::newMemoryBlock), "newMemoryBlock");
  EXPECT_STREQ(ServiceName(Service::REALFSSpecFromFolderItem), "REALFSSpecFromFolderItem");
}

}  // namespace
