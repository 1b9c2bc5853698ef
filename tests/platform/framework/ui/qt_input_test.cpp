#include <gtest/gtest.h>

#include <QApplication>
#include <QAction>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "framework/application.h"
#include "framework/timer.h"
#include "framework/ui/menu.h"
#include "framework/ui/push_button.h"
#include "framework/ui/qt.h"
#include "framework/ui/run.h"
#include "framework/ui/text_field.h"
#include "framework/ui/window.h"
#include "quit_menu_bar.h"

using namespace framework;

namespace {

struct Seen {
  int pressed = 0;
  int pressed_during_click = -1;
  std::string text_during_typing = "?";
  std::string text_after;
  int pressed_after = 0;
  bool went_on_after_quit_item = false;
};
Seen g_seen;

class InputWindow : public Window {
 public:
  static const ClassRecord& class_record() { return subclass_record<InputWindow, Window>("InputWindow"); }

 protected:
  void CreateControls() override {
    AddControl<TextField>("Field", {.Left = 10, .Top = 10, .Width = 120, .Height = 22});
    AddControl<PushButton>("OK", {.Left = 10, .Top = 50, .Width = 80, .Height = 20, .Caption = "OK", .Default = true})
        .set_Action([](PushButton&) { ++g_seen.pressed; });
  }
};

template <class W>
W* only_child(const char* type_name) {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (auto children = top->findChildren<W*>(); children.size() == 1) return children[0];
  }
  throw std::runtime_error(std::string("no single ") + type_name);
}

// Acts as the user from a framework event, then looks at the model a little later.
class InputApp : public Application {
 public:
  static const ClassRecord& class_record() { return subclass_record<InputApp, Application>("InputApp"); }
  void Event_Open() override {
    window_ = ImplicitWindow<InputWindow>();
    user_ = make<Timer>();
    user_->set_Action([this] {
      QTest::keyClicks(only_child<QLineEdit>("line edit"), "abc");
      g_seen.text_during_typing = window_->control<TextField>("Field").Text().utf8();
      QTest::mouseClick(only_child<QPushButton>("button"), Qt::LeftButton);
      QTest::keyClick(only_child<QLineEdit>("line edit"), Qt::Key_Return);
      g_seen.pressed_during_click = g_seen.pressed;
      look_->set_Mode(Timer::ModeSingle);
    });
    look_ = make<Timer>();
    look_->set_Period(50);
    look_->set_Action([this] {
      g_seen.text_after = window_->control<TextField>("Field").Text().utf8();
      g_seen.pressed_after = g_seen.pressed;
      QAction* quit = nullptr;
      for (QAction* a : only_child<QMenuBar>("menu bar")->findChildren<QAction*>()) {
        if (a->text() == "Beenden") quit = a;
      }
      if (!quit) throw std::runtime_error("no quit item");
      quit->trigger();  // the quit item quits by itself, once the choice is delivered
      g_seen.went_on_after_quit_item = true;
    });
    user_->set_Period(20);
    user_->set_Mode(Timer::ModeSingle);
  }

 private:
  Ref<InputWindow> window_;
  Ref<Timer> user_;
  Ref<Timer> look_;
};

TEST(QtInputTest, ClicksKeysTypingAndMenusReachTheApplicationOnlyAsPostedEvents) {
  std::unique_ptr<ui::Backend> backend = qt::make_backend();
  ASSERT_TRUE(backend);
  ui::Startup s;
  s.make_application = [] { return Ref<Application>(make<InputApp>()); };
  s.make_menu_bar = [] { return Ref<MenuBar>(make<ui_test::QuitMenuBar>()); };
  ASSERT_EQ(ui::run_application(*backend, s), 0);
  EXPECT_EQ(g_seen.text_during_typing, "");  // the typing was queued, not run inside Qt
  EXPECT_EQ(g_seen.pressed_during_click, 0);
  EXPECT_EQ(g_seen.text_after, "abc");
  EXPECT_EQ(g_seen.pressed_after, 2);  // the click, and Return in the field for the default button
  EXPECT_TRUE(g_seen.went_on_after_quit_item);
}

}  // namespace
