#include <stdexcept>
#include <vector>

#include "framework/application.h"
#include "widget_fixture.h"

namespace {

using namespace widget;

// An application class that extends the plug-in class: it owns an instance
// and receives its events.
class Gadget {
 public:
  explicit Gadget(Members& m) : m_(m), widget_(NewWidget()) {
    pluginhost::connect_event<void(int32_t)>(widget_.get(), "Changed",
                                             [this](int32_t value) { changed.push_back(value); });
    pluginhost::connect_event<void(String, int32_t)>(widget_.get(), "said", [this](String text, int32_t size) {
      said.push_back(text.utf8());
      sizes.push_back(size);
    });
  }
  ~Gadget() { pluginhost::disconnect_events(widget_.get()); }

  void Fire(int32_t n) { m_.fire(widget_, n); }
  const Ref<Object>& widget() const { return widget_; }

  std::vector<int32_t> changed;
  std::vector<std::string> said;
  std::vector<int32_t> sizes;

 private:
  static Ref<Object> NewWidget() { return pluginhost::new_instance("WidgetQVX"); }
  Members& m_;
  Ref<Object> widget_;
};

TEST_F(WidgetTest, EventsReachTheOwningObject) {
  Gadget a(m());
  Gadget b(m());
  a.Fire(3);
  b.Fire(1);
  a.Fire(0);
  EXPECT_EQ(a.changed, (std::vector<int32_t>{3, 0}));
  EXPECT_EQ(a.said, (std::vector<std::string>{"xxx", ""}));  // nil string: empty
  EXPECT_EQ(a.sizes, (std::vector<int32_t>{3, 0}));
  EXPECT_EQ(b.changed, (std::vector<int32_t>{1}));
}

TEST_F(WidgetTest, NoHandlerMeansNoEvent) {
  Ref<Object> w = NewWidget();
  const pluginhost::PluginClass* pc = pluginhost::find_plugin_class("WidgetQVX");
  ASSERT_NE(pc, nullptr);
  auto get_event_instance = reinterpret_cast<GetEventInstanceProc>(pluginhost::resolve_service("GetEventInstance"));
  auto token = reinterpret_cast<REALword>(pc->events[0].get());
  EXPECT_EQ(get_event_instance(pluginhost::to_handle(w.get()), token), nullptr);
  int32_t hits = 0;
  pluginhost::connect_event<void(int32_t)>(w.get(), "Changed", [&](int32_t) { ++hits; });
  EXPECT_NE(get_event_instance(pluginhost::to_handle(w.get()), token), nullptr);
  EXPECT_EQ(get_event_instance(pluginhost::to_handle(w.get()), token + 1), nullptr);  // no event's word
  pluginhost::disconnect_event(w.get(), "CHANGED");
  EXPECT_EQ(get_event_instance(pluginhost::to_handle(w.get()), token), nullptr);
  m().fire(w, 2);
  EXPECT_EQ(hits, 0);
}

TEST_F(WidgetTest, HandlerMustMatchTheEvent) {
  Ref<Object> w = NewWidget();
  EXPECT_THROW(pluginhost::connect_event<void(String)>(w.get(), "Changed", [](String) {}), std::invalid_argument);
  EXPECT_THROW(pluginhost::connect_event<void()>(w.get(), "Vanished", [] {}), std::invalid_argument);
  EXPECT_THROW(pluginhost::connect_event<void(int32_t)>(nullptr, "Changed", [](int32_t) {}), std::invalid_argument);
}

TEST_F(WidgetTest, HandlerExceptionWaitsUntilThePluginHasReturned) {
  Gadget g(m());
  pluginhost::connect_event<void(int32_t)>(
      g.widget().get(), "Changed", [](int32_t) { throw framework::NilObjectException(String("from the handler")); });
  EXPECT_THROW(g.Fire(2), framework::NilObjectException);
  // The plug-in went on after the handler: it raised Said too.
  EXPECT_EQ(g.said, (std::vector<std::string>{"xx"}));
}

TEST_F(WidgetTest, QuitInsideAnEventHandlerQuits) {
  bool after = false;
  int code = framework::run([&] {
    Gadget g(m());
    pluginhost::connect_event<void(int32_t)>(g.widget().get(), "Changed", [](int32_t) { framework::Quit(); });
    g.Fire(1);
    after = true;
  });
  EXPECT_EQ(code, 0);
  EXPECT_FALSE(after);
}

TEST_F(WidgetTest, ReplacedHandlerMayEndAnotherInstance) {
  Ref<Object> w = NewWidget();
  Ref<Object> held = NewWidget();
  pluginhost::connect_event<void(int32_t)>(held.get(), "Changed", [](int32_t) {});
  int32_t before = m().widgets_ended();
  // The first handler holds the last reference to the other widget, whose
  // end lets its own handlers go.
  pluginhost::connect_event<void(int32_t)>(w.get(), "Changed", [held = std::move(held)](int32_t) {});
  pluginhost::connect_event<void(int32_t)>(w.get(), "Changed", [](int32_t) {});
  EXPECT_EQ(m().widgets_ended(), before + 1);
}

TEST_F(WidgetTest, HandlersEndWithTheirInstance) {
  auto counter = std::make_shared<int>(0);
  {
    Ref<Object> w = NewWidget();
    pluginhost::connect_event<void(int32_t)>(w.get(), "Changed", [counter](int32_t) { ++*counter; });
    EXPECT_EQ(counter.use_count(), 2);
  }
  EXPECT_EQ(counter.use_count(), 1);
}

}  // namespace
