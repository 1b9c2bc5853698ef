#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_host.h"

namespace {

using memtest::FakeHost;

constexpr const char* kFillBytes = "FillBytesQVX(offset as integer, count as integer, value as integer)";
constexpr const char* kNewFromPtr = "NewMemoryBlockFromPtrQVX(ptr as integer) as memoryblock";

// One table row as the host sees it, whatever the level's record form.
struct PropertyRow {
  std::string name, type;
  REALword flags;
  bool has_getter, has_setter;
  REALsword param;
  bool operator==(const PropertyRow&) const = default;
};
struct MethodRow {
  std::string declaration;
  REALword flags;
  bool has_function, has_setter;
  bool operator==(const MethodRow&) const = default;
};

template <typename Record>
std::vector<PropertyRow> PropertiesOf(const REALclassDefinition* d) {
  std::vector<PropertyRow> rows;
  auto* records = reinterpret_cast<const Record*>(d->properties);
  for (REALsword i = 0; i < d->propertyCount; ++i) {
    const Record& r = records[i];
    rows.push_back({r.name, r.type, r.flags, r.getter != nullptr, r.setter != nullptr, r.param});
  }
  return rows;
}

template <typename Record>
std::vector<MethodRow> MethodsOf(const REALclassDefinition* d) {
  std::vector<MethodRow> rows;
  auto* records = reinterpret_cast<const Record*>(d->methods);
  for (REALsword i = 0; i < d->methodCount; ++i) {
    const Record& r = records[i];
    rows.push_back({r.declaration, r.flags, r.function != nullptr, r.setter != nullptr});
  }
  return rows;
}

struct LevelCase {
  double version;
  int32_t level;
};

class QVXMemoryRegistrationTest : public ::testing::TestWithParam<LevelCase> {
 protected:
  std::vector<PropertyRow> Properties(const REALclassDefinition* d) const {
    return host.Level() == 9 ? PropertiesOf<REALproperty9>(d) : PropertiesOf<REALproperty>(d);
  }
  std::vector<MethodRow> Methods(const REALclassDefinition* d) const {
    return host.Level() == 9 ? MethodsOf<REALmethodDefinition9>(d) : MethodsOf<REALmethodDefinition>(d);
  }

  FakeHost host;
};

TEST_P(QVXMemoryRegistrationTest, RegistersExtensionThenClassThenGlobalMethod) {
  host.SetVersion(GetParam().version);
  host.LoadPlugin();
  EXPECT_EQ(host.Calls(), (std::vector<std::string>{
                              "RegisterPluginVersion " + std::to_string(GetParam().level),
                              "PluginRegisterClassExtension MemoryBlock",
                              "PluginRegisterClass MemoryBlockQVX",
                              std::string("PluginRegisterMethod ") + kNewFromPtr,
                          }));
}

TEST_P(QVXMemoryRegistrationTest, RecordsInTheLevelsForm) {
  host.SetVersion(GetParam().version);
  host.LoadPlugin();
  const REALclassDefinition* ext = host.Extension("MemoryBlock");
  const REALclassDefinition* cls = host.Class("MemoryBlockQVX");
  ASSERT_NE(ext, nullptr);
  ASSERT_NE(cls, nullptr);

  EXPECT_EQ(ext->version, static_cast<REALword>(GetParam().level));
  EXPECT_EQ(ext->superName, nullptr);
  EXPECT_EQ(ext->dataSize, 0u);
  EXPECT_EQ(ext->constructor, nullptr);
  EXPECT_EQ(ext->destructor, nullptr);
  EXPECT_EQ(ext->flags, 4u);
  EXPECT_EQ(ext->eventCount, 0);
  EXPECT_EQ(ext->constantCount, 0);
  EXPECT_EQ(Properties(ext), (std::vector<PropertyRow>{{"BytesQVX", "Integer", 6, true, false, 0}}));
  EXPECT_EQ(Methods(ext), (std::vector<MethodRow>{{kFillBytes, 4, true, false}}));

  EXPECT_EQ(cls->version, static_cast<REALword>(GetParam().level));
  EXPECT_EQ(cls->superName, nullptr);
  EXPECT_EQ(cls->dataSize, 32u);
  EXPECT_EQ(cls->constructor, nullptr);
  EXPECT_NE(cls->destructor, nullptr);
  EXPECT_EQ(cls->flags, 4u);
  EXPECT_EQ(Properties(cls), (std::vector<PropertyRow>{{"Address", "Int64", 6, true, false, 0},
                                                       {"Size", "Int64", 6, true, false, 0},
                                                       {"Memory", "Memoryblock", 6, true, false, 0}}));
  EXPECT_EQ(Methods(cls), (std::vector<MethodRow>{{"Resize(Size as Int64) as boolean", 4, true, false},
                                                  {"Close", 4, true, false},
                                                  {"Create(size as Int64) as boolean", 4, true, false}}));
  // Close and the destructor are one routine.
  EXPECT_EQ(host.Method(cls, "Close"), cls->destructor);

  const REALmethodDefinition* global = host.GlobalMethod();
  ASSERT_NE(global, nullptr);
  EXPECT_STREQ(global->declaration, kNewFromPtr);
  EXPECT_EQ(global->flags, 4u);
  EXPECT_EQ(global->setter, nullptr);
  EXPECT_NE(global->function, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Levels, QVXMemoryRegistrationTest,
                         ::testing::Values(LevelCase{2013.03, 12}, LevelCase{2013.0, 11}, LevelCase{2012.0, 10},
                                           LevelCase{2011.99, 9}),
                         [](const auto& info) { return "Level" + std::to_string(info.param.level); });

TEST(QVXMemoryLoadTest, AsksTheHostForNothingButRegistrationAtLoad) {
  FakeHost host;
  host.LoadPlugin();
  EXPECT_EQ(host.Lookups(), (std::vector<std::string>{"RegisterPluginVersion", "REALGetRBVersion",
                                                      "PluginRegisterClassExtension", "PluginRegisterClass",
                                                      "PluginRegisterMethod"}));
}

// A registration service the host lacks is skipped; the others still run.
class QVXMemoryLackingRegistrationTest : public ::testing::TestWithParam<const char*> {};

TEST_P(QVXMemoryLackingRegistrationTest, SkipsOnlyThatRegistration) {
  FakeHost host;
  host.Lack(GetParam());
  host.LoadPlugin();
  std::vector<std::string> expected = {"RegisterPluginVersion 12"};
  for (std::string call : {std::string("PluginRegisterClassExtension MemoryBlock"),
                           std::string("PluginRegisterClass MemoryBlockQVX"),
                           std::string("PluginRegisterMethod ") + kNewFromPtr}) {
    if (call.rfind(std::string(GetParam()) + " ", 0) != 0) expected.push_back(call);
  }
  EXPECT_EQ(host.Calls(), expected);
}

INSTANTIATE_TEST_SUITE_P(Services, QVXMemoryLackingRegistrationTest,
                         ::testing::Values("PluginRegisterClassExtension", "PluginRegisterClass",
                                           "PluginRegisterMethod"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
