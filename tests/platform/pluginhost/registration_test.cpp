// Registration at every interface level, through the same support code the
// plug-ins link, talking to the real host.

#include <cmath>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "debug_log_capture.h"
#include "framework/exceptions.h"
#include "plugincommon/plugincommon.h"
#include "pluginhost/pluginhost.h"

namespace {

using framework::Object;
using framework::Ref;

struct Sample {
  struct Data {
    int32_t Alpha;
    int32_t Beta;
    unsigned char rest[40];
  };
  REALproperty properties[2] = {
      {0, "Alpha", "Integer", 6, REALstandardAccessor, REALstandardAccessor, 0, {}},
      {0, "Beta", "Integer", 6, REALstandardAccessor, REALstandardAccessor, 4, {}},
  };
  REALmethodDefinition methods[1] = {
      {reinterpret_cast<REALproc>(&Sum), nullptr, "Sum as integer", 4, {}},
  };
  REALevent events[1] = {{"Ping(n as integer)", 0, {}}};
  REALconstant constants[1] = {{"kAnswer = 42", {}}};
  REALclassDefinition definition{};

  explicit Sample(const std::string& name) : name_(name) {
    definition.version = 12;
    definition.name = name_.c_str();
    definition.dataSize = sizeof(Data);  // 48: already a multiple of 16
    definition.properties = properties;
    definition.propertyCount = 2;
    definition.methods = methods;
    definition.methodCount = 1;
    definition.events = events;
    definition.eventCount = 1;
    definition.constants = constants;
    definition.constantCount = 1;
    definition.flags = 4;
  }

  static int32_t Sum(REALobject) { return 0; }
  std::string name_;
};

class LevelTest : public ::testing::TestWithParam<double> {
 protected:
  void SetUp() override {
    plugincommon::ResetPluginState();
    pluginhost::set_host_version(GetParam());
    plugincommon::BeginPluginMain(pluginhost::resolver());
  }
  void TearDown() override {
    pluginhost::set_host_version(2013.03);
    plugincommon::ResetPluginState();
  }
};

TEST_P(LevelTest, RegistersAtNegotiatedLevel) {
  // The host keeps the definition for good; so does this test.
  // (the definition and its converted tables must stay reachable, as a
  // plug-in's static records do).
  static auto* kept = new std::vector<std::unique_ptr<Sample>>;
  kept->push_back(std::make_unique<Sample>("LevelSample" + std::to_string(kept->size())));
  Sample& s = *kept->back();
  plugincommon::RegisterClassDefinition(&s.definition);

  const pluginhost::PluginClass* pc = pluginhost::find_plugin_class(s.name_);
  ASSERT_NE(pc, nullptr);
  EXPECT_EQ(pc->level, plugincommon::CurrentREALControlVersion);
  ASSERT_EQ(pc->properties.size(), 2u);
  EXPECT_EQ(pc->properties[1].name, "Beta");
  EXPECT_EQ(pc->properties[1].param, 4);
  ASSERT_EQ(pc->methods.size(), 1u);
  EXPECT_EQ(pc->methods[0].declaration, "Sum as integer");
  ASSERT_EQ(pc->events.size(), 1u);
  EXPECT_EQ(pc->constants.at(0).value, "42");

  // The host wrote the data offset into word 4 and filled the event word,
  // which the plug-in reaches through its static table at every level.
  EXPECT_EQ(s.definition.dataOffset, pc->record->data_offset());
  EXPECT_EQ(s.definition.dataOffset % 16, 0u);
  EXPECT_EQ(plugincommon::EventHostWord(s.events[0]), reinterpret_cast<REALword>(pc->events[0].get()));

  Ref<Object> o = pluginhost::new_instance(s.name_);
  ASSERT_TRUE(o);
  auto* data = plugincommon::PluginData<Sample::Data>(pluginhost::to_handle(o.get()), s.definition);
  EXPECT_EQ(static_cast<void*>(data), pluginhost::plugin_data(o.get()));
  for (unsigned char b : data->rest) ASSERT_EQ(b, 0);
}

INSTANTIATE_TEST_SUITE_P(HostVersions, LevelTest, ::testing::Values(2011.0, 2012.0, 2013.0, 2013.03),
                         [](const auto& info) { return "v" + std::to_string(static_cast<int>(info.param * 100)); });

TEST(RegistrationTest, RefusesUnknownLevelAndUnknownSuperclass) {
  const testsupport::DebugLogCapture log;
  REALclassDefinition odd{};
  odd.version = 13;
  odd.name = "OddLevelQVX";
  reinterpret_cast<PluginRegisterClassProc>(pluginhost::resolve_service("PluginRegisterClass"))(&odd);
  EXPECT_EQ(pluginhost::find_plugin_class("OddLevelQVX"), nullptr);

  static REALclassDefinition orphan{};
  orphan.version = 12;
  orphan.name = "OrphanQVX";
  orphan.superName = "NoSuchClass";
  reinterpret_cast<PluginRegisterClassProc>(pluginhost::resolve_service("PluginRegisterClass"))(&orphan);
  EXPECT_EQ(pluginhost::find_plugin_class("OrphanQVX"), nullptr);
  EXPECT_EQ(log.lines().size(), 2u);
}

int32_t AnyGetter(REALobject, REALsword) { return 0; }

TEST(RegistrationTest, PropertyTheHostCannotAccessIsRefused) {
  static REALproperty properties[] = {
      {0, "Inside", "Integer", 6, REALstandardAccessor, REALstandardAccessor, 12, {}},
      {0, "Outside", "Integer", 6, REALstandardAccessor, REALstandardAccessor, 14, {}},
      {0, "Negative", "Integer", 6, REALstandardAccessor, REALstandardAccessor, -4, {}},
      // A getter of its own with the host's field setter: no field to write.
      {0, "Mixed", "Integer", 6, reinterpret_cast<REALproc>(&AnyGetter), REALstandardAccessor, 0, {}},
  };
  static REALclassDefinition d{};
  d.version = 12;
  d.name = "BoundsQVX";
  d.dataSize = 16;
  d.properties = properties;
  d.propertyCount = 4;
  reinterpret_cast<PluginRegisterClassProc>(pluginhost::resolve_service("PluginRegisterClass"))(&d);
  const pluginhost::PluginClass* pc = pluginhost::find_plugin_class("BoundsQVX");
  ASSERT_NE(pc, nullptr);
  ASSERT_EQ(pc->properties.size(), 1u);
  EXPECT_EQ(pc->properties[0].name, "Inside");
}

TEST(RegistrationTest, PluginSubclassOfFrameworkException) {
  static REALclassDefinition d{};
  d.version = 12;
  d.name = "DeviceExceptionQVX";
  d.superName = "RuntimeException";
  reinterpret_cast<PluginRegisterClassProc>(pluginhost::resolve_service("PluginRegisterClass"))(&d);
  Ref<Object> e = pluginhost::new_instance("DeviceExceptionQVX");
  ASSERT_TRUE(e);
  EXPECT_TRUE(e->is_a(framework::ExceptionObject::class_record()));
}

// A constructor that raises, as a plug-in's would through the services.
int raising_ended = 0;
void RaisingConstructor(REALobject) {
  auto make = reinterpret_cast<PluginNewInstanceProc>(pluginhost::resolve_service("PluginNewInstance"));
  auto raise = reinterpret_cast<RuntimeRaiseExceptionProc>(pluginhost::resolve_service("RuntimeRaiseException"));
  auto unlock = reinterpret_cast<REALUnlockObjectProc>(pluginhost::resolve_service("REALUnlockObject"));
  REALobject e = make("NilObjectException");
  raise(e);
  unlock(e);
}
void RaisingDestructor(REALobject) { ++raising_ended; }

TEST(RegistrationTest, ConstructorThatRaisesGivesNoObject) {
  static REALclassDefinition d{};
  d.version = 12;
  d.name = "RaisingQVX";
  d.constructor = reinterpret_cast<REALproc>(&RaisingConstructor);
  d.destructor = reinterpret_cast<REALproc>(&RaisingDestructor);
  reinterpret_cast<PluginRegisterClassProc>(pluginhost::resolve_service("PluginRegisterClass"))(&d);
  const size_t live = framework::live_object_count();

  EXPECT_THROW(pluginhost::new_instance("RaisingQVX"), framework::NilObjectException);
  EXPECT_EQ(raising_ended, 1);  // the half-made object ended

  // A plug-in asking for one gets nil; the exception reaches its caller.
  auto make = reinterpret_cast<PluginNewInstanceProc>(pluginhost::resolve_service("PluginNewInstance"));
  pluginhost::CallFrame frame;
  EXPECT_EQ(make("RaisingQVX"), nullptr);
  EXPECT_THROW(frame.finish(), framework::NilObjectException);
  EXPECT_EQ(framework::live_object_count(), live);
}

}  // namespace
