#include <gtest/gtest.h>

#include "framework/ui/menu.h"
#include "framework/ui/session.h"

using namespace framework;
using framework::headless::Session;

namespace {

struct ShortcutCase {
  const char* written;
  const char* here;
  friend void PrintTo(const ShortcutCase& c, std::ostream* os) { *os << c.written; }
};

class PlatformShortcut : public ::testing::TestWithParam<ShortcutCase> {};

TEST_P(PlatformShortcut, WritesCmdAsCtrl) { EXPECT_EQ(platform_shortcut(GetParam().written), GetParam().here); }

INSTANTIATE_TEST_SUITE_P(Texts, PlatformShortcut,
                         ::testing::Values(ShortcutCase{"Cmd+Q", "Ctrl+Q"}, ShortcutCase{"Cmd+Shift+Z", "Ctrl+Shift+Z"},
                                           ShortcutCase{"", ""}, ShortcutCase{"F1", "F1"},
                                           ShortcutCase{"Cmdx+Q", "Cmdx+Q"}),
                         [](const auto& info) { return "Text" + std::to_string(info.index); });

// File with a quit item, Edit with an item and a separator.
class TestMenuBar : public MenuBar {
 public:
  static const ClassRecord& class_record() { return subclass_record<TestMenuBar, MenuBar>("TestMenuBar"); }
  TestMenuBar() {
    Append(item<MenuItem>("FileMenu", "File", ""));
    Child("FileMenu")->Append(item<QuitMenuItem>("FileQuit", "Beenden", "Cmd+Q"));
    Append(item<MenuItem>("EditMenu", "Edit", ""));
    Child("EditMenu")->Append(item<MenuItem>("EditUndo", "Undo", "Cmd+Z"));
    Child("EditMenu")->Append(item<MenuItem>("UntitledMenu1", "-", ""));
  }

 private:
  template <class T>
  static Ref<MenuItem> item(const char* name, const char* text, const char* shortcut) {
    Ref<MenuItem> i = make<T>();
    i->set_Name(name);
    i->set_Text(text);
    i->set_KeyboardShortcut(shortcut);
    return i;
  }
};

class PlainWindow : public Window {
 public:
  static const ClassRecord& class_record() { return subclass_record<PlainWindow, Window>("PlainWindow"); }
};

class Plain : public Application {
 public:
  static const ClassRecord& class_record() { return subclass_record<Plain, Application>("PlainApp"); }
  void Event_Open() override { ImplicitWindow<PlainWindow>(); }
};

class Watching : public Application {
 public:
  static const ClassRecord& class_record() { return subclass_record<Watching, Application>("WatchingApp"); }
  void Event_Open() override { ++opens, had_menu_bar = bool(MenuBar()); }
  static inline int opens = 0;
  static inline bool had_menu_bar = false;
};

TEST(MenuTest, TheMenuBarIsAttachedBeforeTheOneOpen) {
  Session s;
  s.start_application<Watching, TestMenuBar>();
  s.run_for(std::chrono::seconds(1));
  EXPECT_EQ(Watching::opens, 1);
  EXPECT_TRUE(Watching::had_menu_bar);
  ASSERT_TRUE(app());
  ASSERT_TRUE(app()->MenuBar());
  EXPECT_EQ(app()->MenuBar()->Count(), 2);
  EXPECT_EQ(app()->MenuBar()->Child("EditMenu")->Count(), 2);
  EXPECT_TRUE(app()->MenuBar()->Child("EditMenu")->Item(1)->is_separator());
}

TEST(MenuTest, QuitItemQuitsByItself) {
  Session s;
  s.start_application<Application, TestMenuBar>();
  ASSERT_TRUE(s.choose_menu("FileQuit"));
  EXPECT_TRUE(s.finished());
  EXPECT_EQ(s.exit_code(), 0);
}

TEST(MenuTest, QuitItemAnswersItsShortcut) {
  Session s;
  s.start_application<Plain, TestMenuBar>();
  ASSERT_TRUE(s.key("PlainWindow", "Ctrl+Q"));
  EXPECT_TRUE(s.finished());
  EXPECT_EQ(s.exit_code(), 0);
}

TEST(MenuTest, PlainItemDoesNothingOfItsOwn) {
  Session s;
  s.start_application<Application, TestMenuBar>();
  ASSERT_TRUE(s.choose_menu("EditUndo"));
  EXPECT_FALSE(s.finished());
}

}  // namespace
