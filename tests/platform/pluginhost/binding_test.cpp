#include <algorithm>
#include <functional>

#include "framework/application.h"
#include "widget_fixture.h"

namespace {

using namespace widget;

TEST_F(WidgetTest, CallsMembersThroughBoundEntriesInstanceFirst) {
  Ref<Object> w = NewWidget();
  ASSERT_TRUE(w);
  EXPECT_EQ(m().add(w, 5), 5);
  EXPECT_EQ(m().add(w, -2), 3);
  EXPECT_EQ(m().count.get(w), 3);
  EXPECT_EQ(m().lasterror.get(w), -1);  // set by the constructor
  EXPECT_EQ(m().level(), 12);
}

TEST_F(WidgetTest, StringsCrossBothWays) {
  Ref<Object> w = NewWidget();
  String echoed = m().echo(w, String::from_bytes("a\xE9z", framework::Encodings.MacRoman));
  EXPECT_EQ(echoed.bytes(), "a\xE9z");
  EXPECT_EQ(echoed.encoding(), framework::Encodings.Undetermined);  // the plug-in's bytes of any encoding
  EXPECT_EQ(m().echo(w, String("plain")).encoding(), framework::Encodings.ASCII);
  EXPECT_EQ(m().echo(w, String()).bytes(), "");  // the plug-in gives nil: the empty string
}

TEST_F(WidgetTest, PlainPropertiesAreHostFieldsAtTheirOffset) {
  Ref<Object> w = NewWidget();
  m().count.set(w, 41);
  auto* data = static_cast<int32_t*>(pluginhost::plugin_data(w.get()));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data[0], 41);
  data[1] = 9;
  EXPECT_EQ(m().lasterror.get(w), 9);
  EXPECT_THROW(m().lasterror.set(w, 1), framework::UnsupportedOperationException);  // read-only
}

TEST_F(WidgetTest, ComputedPropertyGoesThroughGetterAndSetter) {
  Ref<Object> w = NewWidget();
  EXPECT_EQ(m().label.get(w).bytes(), "");
  m().label.set(w, String("Gerät"));
  EXPECT_EQ(m().label.get(w).utf8(), "Gerät");
}

TEST_F(WidgetTest, HostSetsPropertiesByNameAsAnAssignmentWould) {
  auto set_int = reinterpret_cast<REALSetPropValueIntProc>(pluginhost::resolve_service("REALSetPropValueInt"));
  auto set_string = reinterpret_cast<REALSetPropValueStringProc>(pluginhost::resolve_service("REALSetPropValueString"));
  Ref<Object> w = NewWidget();
  REALobject handle = pluginhost::to_handle(w.get());
  set_int(handle, "COUNT", 12);
  EXPECT_EQ(m().count.get(w), 12);
  set_int(handle, "Lasterror", 3);  // read-only: stays
  EXPECT_EQ(m().lasterror.get(w), -1);
  set_int(handle, "Label", 3);  // a string property takes no number
  REALstring label = pluginhost::new_string_handle(String("named"));
  set_string(handle, "label", label);
  pluginhost::release_string_handle(label);
  EXPECT_EQ(m().label.get(w).utf8(), "named");
  set_string(handle, "NoSuchProperty", nullptr);
  EXPECT_EQ(m().count.get(w), 12);
}

TEST_F(WidgetTest, MethodWithSetterBindsItsAssignmentForm) {
  Ref<Object> w = NewWidget();
  m().slot.assign(w, 2, 77);
  EXPECT_EQ(m().slot(w, 2), 77);
  EXPECT_EQ(m().slot(w, 1), 0);
  EXPECT_THROW(m().add.assign(w, 1, 2), framework::UnsupportedOperationException);
}

TEST_F(WidgetTest, ReturnedBlockBelongsToCaller) {
  Ref<Object> w = NewWidget();
  Ref<MemoryBlock> b = m().block(w, 4);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->reference_count(), 1);
  EXPECT_EQ(b->Size(), 4);
  EXPECT_EQ(b->UInt8Value(3), 0xA3);
  EXPECT_FALSE(m().block(w, 0));  // nil, no exception
}

TEST_F(WidgetTest, ExtensionMethodAndPropertyWorkOnHostBlocks) {
  Ref<MemoryBlock> b = framework::NewMemoryBlock(8);
  m().fill(b, 0x1FF);
  EXPECT_EQ(b->UInt8Value(0), 0xFF);
  EXPECT_EQ(b->UInt8Value(7), 0xFF);
  EXPECT_EQ(m().size_qvx.get(b), 8);
  // The extension itself decides about a nil block: here it raises.
  EXPECT_THROW(m().fill(Ref<MemoryBlock>(), 1), framework::NilObjectException);
}

TEST_F(WidgetTest, ExceptionRaisedByPluginIsThrownAfterMemberReturns) {
  Ref<Object> w = NewWidget();
  try {
    m().fail(w, String("cannot do that"));
    ADD_FAILURE() << "no exception";
  } catch (const framework::UnsupportedOperationException& e) {
    EXPECT_EQ(e.Message().utf8(), "cannot do that");
    EXPECT_EQ(e.ErrorNumber(), 0);
  }
  EXPECT_EQ(m().lasterror.get(w), 7);  // the member ran to its end
  EXPECT_EQ(m().add(w, 1), 1);         // nothing left over for the next call
}

TEST_F(WidgetTest, MemberOnNilInstanceRaisesWithoutReachingPlugin) {
  EXPECT_THROW(m().add(Ref<Object>(), 1), framework::NilObjectException);
  EXPECT_THROW(m().count.get(Ref<Object>()), framework::NilObjectException);
}

TEST_F(WidgetTest, MemberOnObjectOfAnotherClassRaisesWithoutReachingPlugin) {
  // The plug-in would take the object's memory for a widget's data.
  Ref<MemoryBlock> block = framework::NewMemoryBlock(4);
  Ref<Object> other(block.get());
  using framework::UnsupportedOperationException;
  EXPECT_THROW(m().add(other, 1), UnsupportedOperationException);
  EXPECT_THROW(m().slot.assign(other, 0, 5), UnsupportedOperationException);
  EXPECT_THROW(m().init(other), UnsupportedOperationException);
  EXPECT_THROW(m().label.get(other), UnsupportedOperationException);
  EXPECT_THROW(m().label.set(other, String("x")), UnsupportedOperationException);
  EXPECT_THROW(m().count.get(other), UnsupportedOperationException);
  EXPECT_THROW(m().size_qvx.get(NewWidget()), UnsupportedOperationException);  // no block
  EXPECT_EQ(block->UInt32Value(0), 0u);
}

TEST_F(WidgetTest, DestructorRunsWhenLastReferenceGoes) {
  int32_t before = m().widgets_ended();
  {
    Ref<Object> w = NewWidget();
    m().label.set(w, String("held by the plug-in"));
  }
  EXPECT_EQ(m().widgets_ended(), before + 1);
}

TEST_F(WidgetTest, ConstructorAndDestructorEntriesBind) {
  Ref<Object> w = NewWidget();
  auto* data = static_cast<int32_t*>(pluginhost::plugin_data(w.get()));
  data[1] = 0;
  m().init(w);
  EXPECT_EQ(data[1], -1);
}

TEST_F(WidgetTest, RegistrationIsReadable) {
  const pluginhost::PluginClass* pc = pluginhost::find_plugin_class("widgetqvx");
  ASSERT_NE(pc, nullptr);
  ASSERT_EQ(pc->constants.size(), 1u);
  EXPECT_EQ(pc->constants[0].name, "kWidgetSlots");
  EXPECT_EQ(pc->constants[0].value, "4");
  EXPECT_EQ(pc->events.size(), 2u);
  EXPECT_EQ(pc->record->data_offset() % 16, 0u);
}

// The member a row declares, with the C++ signature it comes with: whether it
// bound, and a call of it on a widget.
struct Declared {
  std::function<bool()> bound;
  std::function<void(const Ref<Object>&)> call;
};
using Declare = Declared (*)(pluginhost::Binder&, const char* class_name, const char* declaration);

Declared TakingAnInteger(pluginhost::Binder& binder, const char* class_name, const char* declaration) {
  auto m = binder.method<int32_t(Ref<Object>, int32_t)>(class_name, declaration);
  return {[m] { return m.bound(); }, [m](const Ref<Object>& w) { m(w, 1); }};
}

// As a constructor or destructor is declared.
Declared Hook(pluginhost::Binder& binder, const char* class_name, const char* declaration) {
  auto m = binder.method<void(Ref<Object>)>(class_name, declaration);
  return {[m] { return m.bound(); }, [m](const Ref<Object>& w) { m(w); }};
}

Declared HookGivingAnInteger(pluginhost::Binder& binder, const char* class_name, const char* declaration) {
  auto m = binder.method<int32_t(Ref<Object>)>(class_name, declaration);
  return {[m] { return m.bound(); }, [m](const Ref<Object>& w) { m(w); }};
}

Declared HookTakingAnInteger(pluginhost::Binder& binder, const char* class_name, const char* declaration) {
  auto m = binder.method<void(Ref<Object>, int32_t)>(class_name, declaration);
  return {[m] { return m.bound(); }, [m](const Ref<Object>& w) { m(w, 1); }};
}

Declared HookWithoutSelf(pluginhost::Binder& binder, const char* class_name, const char* declaration) {
  auto m = binder.method<void()>(class_name, declaration);
  return {[m] { return m.bound(); }, [m](const Ref<Object>&) { m(); }};
}

Declared IntegerProperty(pluginhost::Binder& binder, const char* class_name, const char* declaration) {
  auto p = binder.property<int32_t>(class_name, declaration);
  return {[p] { return p.bound(); }, [p](const Ref<Object>& w) { p.get(w); }};
}

struct UnboundCase {
  friend void PrintTo(const UnboundCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  const char* class_name;
  const char* declaration;
  const char* why;
  Declare declare = TakingAnInteger;
};

class UnboundTest : public WidgetTest, public ::testing::WithParamInterface<UnboundCase> {};

TEST_P(UnboundTest, IsNamedAndNeverCalled) {
  pluginhost::Binder binder;
  auto good = binder.method<int32_t(Ref<Object>, int32_t)>("WidgetQVX", "Add( amount AS Integer ) as INTEGER");
  const Declared bad = GetParam().declare(binder, GetParam().class_name, GetParam().declaration);
  std::vector<std::string> unresolved = binder.bind();
  ASSERT_EQ(unresolved.size(), 1u);
  EXPECT_NE(unresolved[0].find(GetParam().declaration), std::string::npos) << unresolved[0];
  EXPECT_NE(unresolved[0].find(GetParam().why), std::string::npos) << unresolved[0];
  EXPECT_TRUE(good.bound());
  EXPECT_FALSE(bad.bound());
  Ref<Object> w = NewWidget();
  EXPECT_THROW(bad.call(w), framework::UnsupportedOperationException);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnboundTest,
    ::testing::Values(
        UnboundCase{"UnknownMember", "WidgetQVX", "Subtract(amount as integer) as integer", "not found"},
        UnboundCase{"UnknownClass", "GadgetQVX", "Add(amount as integer) as integer", "class not found"},
        UnboundCase{"PropertyIsNoMethod", "WidgetQVX", "Count as integer", "not found"},
        UnboundCase{"OtherOverload", "WidgetQVX", "Add(amount as int64) as integer", "not found"},
        // The host calls a constructor and a destructor with the instance alone, for no result.
        UnboundCase{"ConstructorGivingAValue", "WidgetQVX", "__init", "types do not match", HookGivingAnInteger},
        UnboundCase{"DestructorGivingAValue", "WidgetQVX", "__exit", "types do not match", HookGivingAnInteger},
        UnboundCase{"ConstructorTakingMoreThanSelf", "WidgetQVX", "__init", "types do not match", HookTakingAnInteger},
        UnboundCase{"DestructorWithoutSelf", "WidgetQVX", "__exit", "types do not match", HookWithoutSelf},
        UnboundCase{"HookDeclaredWithAResult", "WidgetQVX", "__init as integer", "not found", Hook},
        UnboundCase{"PropertyWithEmptyParameterList", "WidgetQVX", "Count() as integer", "types do not match",
                    IntegerProperty},
        UnboundCase{"PropertyWithParameter", "WidgetQVX", "Count(index as integer) as integer", "types do not match",
                    IntegerProperty}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WidgetTest, SignatureNotMatchingDeclarationIsUnbound) {
  pluginhost::Binder binder;
  auto wrong = binder.method<String(Ref<Object>, int32_t)>("WidgetQVX", "Add(amount as integer) as integer");
  std::vector<std::string> unresolved = binder.bind();
  ASSERT_EQ(unresolved.size(), 1u);
  EXPECT_NE(unresolved[0].find("types do not match"), std::string::npos);
  EXPECT_FALSE(wrong.bound());
}

TEST_F(WidgetTest, UnresolvedDeclarationIsReportedAtStartUpAndQuits) {
  std::string reported;
  bool went_on = false;
  int code = framework::run([&] {
    pluginhost::Binder binder;
    binder.method<bool(Ref<Object>)>("MacHIDQVX", "FindFirstDevice as boolean");
    binder.method<int32_t(Ref<Object>, int32_t)>("WidgetQVX", "Add(amount as integer) as integer");
    binder.bind_or_quit([&](const String& text) { reported = text.utf8(); });
    went_on = true;
  });
  EXPECT_EQ(code, 0);
  EXPECT_FALSE(went_on);
  EXPECT_NE(reported.find("MacHIDQVX.FindFirstDevice as boolean"), std::string::npos) << reported;
  EXPECT_EQ(reported.find("WidgetQVX.Add"), std::string::npos) << reported;
}

}  // namespace
