#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "fixture.h"

namespace {

using namespace plugincommon;

// A definition shaped like the plug-ins' own: two plain properties, a few
// methods, two events, constants.
struct SampleClass {
  REALproperty properties[2] = {
      {0, "TimeOut", "Integer", 6, REALstandardAccessor, REALstandardAccessor, 0, {1, 2, 3, 4, 5}},
      {0, "Lasterror", "Integer", 6, REALstandardAccessor, REALstandardAccessor, 4, {1, 2, 3, 4, 5}},
  };
  REALmethodDefinition methods[3] = {
      {reinterpret_cast<REALproc>(0x1000), nullptr, "Close", 4, {7, 8}},
      {reinterpret_cast<REALproc>(0x2000),
       reinterpret_cast<REALproc>(0x2100),
       "OSTypeQVX(offset as Integer) as String",
       4,
       {7, 8}},
      {reinterpret_cast<REALproc>(0x3000), nullptr, "FindFirstDevice as boolean", 4, {7, 8}},
  };
  REALevent events[2] = {
      {"ReceivedData(data as string, size as integer)", 0, {9, 9}},
      {"DeviceRemoved(result as integer)", 0, {9, 9}},
  };
  REALconstant constants[3] = {
      {"kIOHIDReportTypeInput = 0", {1, 1, 1, 1}},
      {"kIOHIDReportTypeOutput = 1", {1, 1, 1, 1}},
      {"kIOHIDReportTypeFeature = 2", {1, 1, 1, 1}},
  };
  REALclassDefinition definition{};

  explicit SampleClass(REALword dataSize = 1080) {
    definition.version = 12;
    definition.name = "MacHIDQVX";
    definition.dataSize = dataSize;
    definition.constructor = reinterpret_cast<REALproc>(0x5000);
    definition.destructor = reinterpret_cast<REALproc>(0x6000);
    definition.properties = properties;
    definition.propertyCount = 2;
    definition.methods = methods;
    definition.methodCount = 3;
    definition.events = events;
    definition.eventCount = 2;
    definition.carried[0] = 13;
    definition.carried[1] = 14;
    definition.carried[2] = 15;
    definition.dropped[0] = 16;
    definition.dropped[1] = 17;
    definition.constants = constants;
    definition.constantCount = 3;
    definition.flags = 4;
    definition.unused[0] = 25;
  }
};

struct LevelCase {
  friend void PrintTo(const LevelCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::optional<double> version;  // nullopt: the host lacks REALGetRBVersion
  int32_t level;
};

class NegotiationTest : public PluginCommonTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(NegotiationTest, PicksLevelFromHostVersion) {
  host().version = GetParam().version;
  Load();
  EXPECT_EQ(CurrentREALControlVersion, GetParam().level);
  EXPECT_EQ(host().level, GetParam().level);
  if (!GetParam().version) {
    EXPECT_EQ(rbversion_rbversion, 0.0);
  }
}

INSTANTIATE_TEST_SUITE_P(Versions, NegotiationTest,
                         ::testing::Values(LevelCase{"v2013_03", 2013.03, 12}, LevelCase{"v2014", 2014.0, 12},
                                           LevelCase{"v2013_02", 2013.02, 11}, LevelCase{"v2013_0", 2013.0, 11},
                                           LevelCase{"v2012_0", 2012.0, 10}, LevelCase{"v2011_99", 2011.99, 9},
                                           LevelCase{"NaN", std::numeric_limits<double>::quiet_NaN(), 9},
                                           LevelCase{"NoVersionService", std::nullopt, 9}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PluginCommonTest, AnnouncesLevelBeforeFirstRegistration) {
  SampleClass sample;
  Load();
  RegisterClassDefinition(&sample.definition);
  ASSERT_EQ(host().calls.size(), 2u);
  EXPECT_EQ(host().calls[0], "RegisterPluginVersion 12");
  EXPECT_EQ(host().calls[1], "PluginRegisterClass MacHIDQVX");
}

TEST_F(PluginCommonTest, RegistersWithoutRegisterPluginVersion) {
  Lack("RegisterPluginVersion");
  SampleClass sample;
  Load();
  RegisterClassDefinition(&sample.definition);
  ASSERT_EQ(host().classes.size(), 1u);
  EXPECT_EQ(host().classes[0]->version, 12u);
}

class RoundingTest : public PluginCommonTest, public ::testing::WithParamInterface<std::pair<REALword, REALword>> {};

TEST_P(RoundingTest, RoundsDataSizeUpToSixteen) {
  SampleClass sample(GetParam().first);
  Load();
  RegisterClassDefinition(&sample.definition);
  EXPECT_EQ(sample.definition.dataSize, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Sizes, RoundingTest,
                         ::testing::Values(std::pair<REALword, REALword>{1096, 1104},
                                           std::pair<REALword, REALword>{1080, 1088},
                                           std::pair<REALword, REALword>{32, 32}, std::pair<REALword, REALword>{0, 0},
                                           std::pair<REALword, REALword>{1, 16}));

class ModernLevelTest : public PluginCommonTest, public ::testing::WithParamInterface<double> {};

TEST_P(ModernLevelTest, HandsStaticDefinitionWithLevelInWordZero) {
  SampleClass sample;
  LoadWithVersion(GetParam());
  RegisterClassDefinition(&sample.definition);
  ASSERT_EQ(host().classes.size(), 1u);
  REALclassDefinition* got = host().classes[0];
  EXPECT_EQ(got, &sample.definition);
  EXPECT_EQ(got->version, static_cast<REALword>(CurrentREALControlVersion));
  EXPECT_EQ(got->properties, sample.properties);
  EXPECT_EQ(got->methods, sample.methods);
  EXPECT_EQ(got->events, sample.events);
  EXPECT_EQ(got->events[0].hostWord, 0u);
  EXPECT_EQ(got->dropped[0], 16u);
  EXPECT_EQ(got->unused[0], 25u);
}

INSTANTIATE_TEST_SUITE_P(Levels10To12, ModernLevelTest, ::testing::Values(2012.0, 2013.0, 2013.03));

class LevelNineTest : public PluginCommonTest {
 protected:
  void SetUp() override {
    PluginCommonTest::SetUp();
    LoadWithVersion(2011.0);
    RegisterClassDefinition(&sample.definition);
    ASSERT_EQ(host().classes.size(), 1u);
    got = reinterpret_cast<REALclassDefinition9*>(host().classes[0]);
  }
  void TearDown() override {
    // The host keeps converted tables for good; the test host gives them back.
    FreeAlloc(got->properties);
    FreeAlloc(got->methods);
    FreeAlloc(got->events);
    FreeAlloc(got->constants);
    PluginCommonTest::TearDown();
  }
  SampleClass sample;
  REALclassDefinition9* got = nullptr;
};

TEST_F(LevelNineTest, OverwritesStaticDefinitionWithShortForm) {
  EXPECT_EQ(reinterpret_cast<void*>(got), reinterpret_cast<void*>(&sample.definition));
  EXPECT_EQ(got->version, 9u);
  EXPECT_STREQ(got->name, "MacHIDQVX");
  EXPECT_EQ(got->dataSize, 1088u);
  EXPECT_EQ(got->constructor, reinterpret_cast<REALproc>(0x5000));
  EXPECT_EQ(got->destructor, reinterpret_cast<REALproc>(0x6000));
  EXPECT_EQ(got->carried[0], 13u);
  EXPECT_EQ(got->carried[2], 15u);
  EXPECT_EQ(got->dropped[0], 0u);
  EXPECT_EQ(got->dropped[1], 0u);
  EXPECT_EQ(got->flags, 4u);
  EXPECT_EQ(got->propertyCount, 2);
  EXPECT_EQ(got->methodCount, 3);
  EXPECT_EQ(got->eventCount, 2);
  EXPECT_EQ(got->constantCount, 3);
  EXPECT_EQ(got->sharedProperties, nullptr);
  EXPECT_EQ(got->sharedMethods, nullptr);
}

TEST_F(LevelNineTest, TablesAreInShortForm) {
  ASSERT_NE(got->properties, nullptr);
  EXPECT_NE(reinterpret_cast<void*>(got->properties), reinterpret_cast<void*>(sample.properties));
  // Record 1 of each short table starts right behind record 0's short form.
  EXPECT_STREQ(got->properties[1].name, "Lasterror");
  EXPECT_EQ(got->properties[1].param, 4);
  EXPECT_EQ(got->properties[1].getter, REALstandardAccessor);
  EXPECT_EQ(got->properties[1].reserved[2], 3u);  // words 7..9 are kept
  ASSERT_NE(got->methods, nullptr);
  EXPECT_STREQ(got->methods[2].declaration, "FindFirstDevice as boolean");
  EXPECT_EQ(got->methods[1].setter, reinterpret_cast<REALproc>(0x2100));
  EXPECT_EQ(got->methods[2].flags, 4u);
  ASSERT_NE(got->constants, nullptr);
  EXPECT_STREQ(got->constants[2].declaration, "kIOHIDReportTypeFeature = 2");
  EXPECT_EQ(got->constants[2].reserved[1], 1u);
  ASSERT_NE(got->events, nullptr);
  EXPECT_STREQ(got->events[1].declaration, "DeviceRemoved(result as integer)");
}

TEST_F(LevelNineTest, StaticEventRecordsPointAtConvertedCopies) {
  EXPECT_EQ(sample.events[0].hostWord, reinterpret_cast<REALword>(&got->events[0]));
  EXPECT_EQ(sample.events[1].hostWord, reinterpret_cast<REALword>(&got->events[1]));
  // What the level-9 host writes into the copy is what the plug-in passes on.
  got->events[1].hostWord = 0xBEEF;
  EXPECT_EQ(EventHostWord(sample.events[1]), 0xBEEFu);
}

TEST_F(PluginCommonTest, EventHostWordAtModernLevelIsRecordsOwn) {
  SampleClass sample;
  Load();
  RegisterClassDefinition(&sample.definition);
  sample.events[0].hostWord = 0x1234;
  EXPECT_EQ(EventHostWord(sample.events[0]), 0x1234u);
}

struct FixCase {
  friend void PrintTo(const FixCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  bool table;
  REALsword count;
};

class FixTablesTest : public PluginCommonTest, public ::testing::WithParamInterface<FixCase> {};

TEST_P(FixTablesTest, GivesNoTableForNilOrUnusableCount) {
  SampleClass sample;
  EXPECT_EQ(FixProperties(GetParam().table ? sample.properties : nullptr, GetParam().count), nullptr);
  EXPECT_EQ(FixMethods(GetParam().table ? sample.methods : nullptr, GetParam().count), nullptr);
  EXPECT_EQ(FixConstants(GetParam().table ? sample.constants : nullptr, GetParam().count), nullptr);
  EXPECT_EQ(FixEvents(GetParam().table ? sample.events : nullptr, GetParam().count), nullptr);
  EXPECT_EQ(sample.events[0].hostWord, 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, FixTablesTest,
                         ::testing::Values(FixCase{"NilTable", false, 2}, FixCase{"ZeroCount", true, 0},
                                           FixCase{"NegativeCount", true, -1},
                                           FixCase{"TableOver2GB", true, std::numeric_limits<REALsword>::max() / 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PluginCommonTest, FixClassCopiesCountsOfNilTables) {
  Load();
  REALclassDefinition definition{};
  definition.name = "Odd";
  definition.propertyCount = 3;  // no table
  REALclassDefinition9* fixed = FixClass(&definition);
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->properties, nullptr);
  EXPECT_EQ(fixed->propertyCount, 3);
  FreeAlloc(fixed);
}

TEST_F(PluginCommonTest, LevelNineWithoutRegisterServiceStillConverts) {
  Lack("PluginRegisterClass");
  SampleClass sample;
  LoadWithVersion(2011.0);
  RegisterClassDefinition(&sample.definition);
  EXPECT_TRUE(host().classes.empty());
  auto* converted = reinterpret_cast<REALclassDefinition9*>(&sample.definition);
  EXPECT_EQ(converted->version, 9u);
  EXPECT_EQ(converted->dropped[0], 0u);
  FreeAlloc(converted->properties);
  FreeAlloc(converted->methods);
  FreeAlloc(converted->events);
  FreeAlloc(converted->constants);
}

TEST_F(PluginCommonTest, HostWithoutRegistrationServicesSkipsEachAndGoesOn) {
  Lack("PluginRegisterClass");
  Lack("PluginRegisterClassExtension");
  SampleClass sample;
  REALclassDefinition extension{};
  extension.name = "MemoryBlock";
  extension.dataSize = 0;
  REALmethodDefinition global{
      reinterpret_cast<REALproc>(0x7000), nullptr, "NewMemoryBlockFromPtrQVX(ptr as integer) as memoryblock", 4, {}};
  Load();
  RegisterClassExtension(&extension);
  RegisterClassDefinition(&sample.definition);
  RegisterGlobalMethod(&global);
  EXPECT_TRUE(host().classes.empty());
  EXPECT_TRUE(host().extensions.empty());
  ASSERT_EQ(host().methods.size(), 1u);
  EXPECT_EQ(host().methods[0], &global);
}

TEST_F(PluginCommonTest, ExtensionKeepsItsDataSize) {
  REALclassDefinition extension{};
  extension.version = 12;
  extension.name = "MemoryBlock";
  extension.dataSize = 1;
  Load();
  RegisterClassExtension(&extension);
  ASSERT_EQ(host().extensions.size(), 1u);
  EXPECT_EQ(extension.dataSize, 1u);
  EXPECT_EQ(extension.version, 12u);
}

TEST_F(PluginCommonTest, PluginDataIsAtHostOffset) {
  SampleClass sample;
  Load();
  RegisterClassDefinition(&sample.definition);
  sample.definition.dataOffset = 32;  // as a host writes it
  alignas(16) unsigned char instance[64] = {};
  auto* data = PluginData<int32_t>(reinterpret_cast<REALobject>(instance), sample.definition);
  EXPECT_EQ(reinterpret_cast<unsigned char*>(data), instance + 32);
  EXPECT_EQ(PluginData<int32_t>(nullptr, sample.definition), nullptr);
}

}  // namespace
