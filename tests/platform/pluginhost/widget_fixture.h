#pragma once
// Loads the test plug-in folder once per process and binds the widget's
// members the way the application binds its plug-ins.

#include <gtest/gtest.h>

#include "framework/exceptions.h"
#include "framework/memoryblock.h"
#include "framework/system.h"
#include "pluginhost/pluginhost.h"

namespace widget {

using framework::MemoryBlock;
using framework::Object;
using framework::Ref;
using framework::String;

inline void LoadTestPlugins() {
  static bool loaded = [] {
    pluginhost::load_plugins(TEST_PLUGIN_DIR);
    return true;
  }();
  (void)loaded;
}

struct Members {
  pluginhost::Binder binder;
  pluginhost::Method<void(Ref<Object>)> init = binder.method<void(Ref<Object>)>("WidgetQVX", "__init");
  pluginhost::Method<void(Ref<Object>)> exit = binder.method<void(Ref<Object>)>("WidgetQVX", "__exit");
  pluginhost::Method<int32_t(Ref<Object>, int32_t)> add =
      binder.method<int32_t(Ref<Object>, int32_t)>("WidgetQVX", "Add(amount as integer) as integer");
  pluginhost::Method<String(Ref<Object>, String)> echo =
      binder.method<String(Ref<Object>, String)>("WidgetQVX", "Echo(text as string) as string");
  pluginhost::Method<void(Ref<Object>, String)> fail =
      binder.method<void(Ref<Object>, String)>("WidgetQVX", "Fail(message as string)");
  pluginhost::Method<void(Ref<Object>, int32_t)> fire =
      binder.method<void(Ref<Object>, int32_t)>("WidgetQVX", "Fire(n as integer)");
  pluginhost::Method<int32_t(Ref<Object>, int32_t)> slot =
      binder.method<int32_t(Ref<Object>, int32_t)>("WidgetQVX", "Slot(index as integer) as integer");
  pluginhost::Method<Ref<MemoryBlock>(Ref<Object>, int32_t)> block =
      binder.method<Ref<MemoryBlock>(Ref<Object>, int32_t)>("WidgetQVX", "Block(size as integer) as memoryblock");
  pluginhost::Property<int32_t> count = binder.property<int32_t>("WidgetQVX", "Count as integer");
  pluginhost::Property<int32_t> lasterror = binder.property<int32_t>("WidgetQVX", "Lasterror as integer");
  pluginhost::Property<String> label = binder.property<String>("WidgetQVX", "Label as string");
  pluginhost::Method<void(Ref<MemoryBlock>, int32_t)> fill =
      binder.method<void(Ref<MemoryBlock>, int32_t)>("MemoryBlock", "FillQVX(value as integer)");
  pluginhost::Property<int32_t> size_qvx = binder.property<int32_t>("MemoryBlock", "SizeQVX as integer");
  pluginhost::Method<int32_t()> main_calls = binder.method<int32_t()>("", "WidgetMainCallsQVX as integer");
  pluginhost::Method<int32_t()> widgets_ended = binder.method<int32_t()>("", "WidgetsEndedQVX as integer");
  pluginhost::Method<int32_t()> level = binder.method<int32_t()>("", "WidgetLevelQVX as integer");

  std::vector<std::string> unresolved = binder.bind();
};

class WidgetTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    LoadTestPlugins();
    members_ = new Members;
  }
  static void TearDownTestSuite() {
    delete members_;
    members_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(m().unresolved.empty()) << m().unresolved.front(); }

  static Members& m() { return *members_; }
  static Ref<Object> NewWidget() { return pluginhost::new_instance("WidgetQVX"); }

  static inline Members* members_ = nullptr;
};

}  // namespace widget
