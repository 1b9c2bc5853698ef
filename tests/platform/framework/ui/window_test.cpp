#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/ui/label.h"
#include "framework/ui/push_button.h"
#include "framework/ui/session.h"
#include "framework/ui/text_field.h"
#include "framework/ui/window.h"

using namespace framework;
using framework::headless::Session;

namespace {

std::vector<std::string> g_log;

// A dialog without close box; its Close button closes it, OK and Cancel log.
class Dialog : public Window {
 public:
  static const ClassRecord& class_record() { return subclass_record<Dialog, Window>("Dialog"); }

 protected:
  void Layout() override { _SetProperties({.Width = 400, .Height = 222, .CloseButton = false, .Resizeable = false}); }
  void CreateControls() override {
    AddControl<Label>("StaticText1", {.Left = 20, .Top = 14, .Width = 156, .Height = 20}).set_Open([](Label& l) {
      g_log.push_back(l.Name().utf8() + ".Open");
    });
    AddControl<PushButton>("OK", {.Left = 190, .Top = 182, .Width = 92, .Height = 20, .Caption = "OK", .Default = true})
        .set_Action([](PushButton&) { g_log.push_back("OK"); });
    AddControl<PushButton>("Cancel",
                           {.Left = 288, .Top = 182, .Width = 92, .Height = 20, .Caption = "Cancel", .Cancel = true})
        .set_Action([](PushButton&) { g_log.push_back("Cancel"); });
    AddControl<PushButton>("CloseIt", {.Left = 20, .Top = 182, .Width = 92, .Height = 20, .Caption = "Close"})
        .set_Action([this](PushButton&) { Close(); });
    AddControl<TextField>("Field", {.Left = 20, .Top = 50, .Width = 100, .Height = 22}).set_Open([](TextField&) {
      g_log.push_back("Field.Open");
    });
  }
  void Event_Open() override { g_log.push_back("Dialog.Open"); }
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { g_log.clear(); }
};

TEST_F(WindowTest, OpensControlsInCreationOrderThenTheWindow) {
  Session s;
  s.start([] { ImplicitWindow<Dialog>(); });
  EXPECT_EQ(g_log, (std::vector<std::string>{"StaticText1.Open", "Field.Open", "Dialog.Open"}));
  ASSERT_TRUE(s.window("Dialog"));
  EXPECT_TRUE(s.window("Dialog")->Visible());
}

TEST_F(WindowTest, ShowModalReturnsWhenTheWindowHasClosed) {
  Session s;
  s.start([] {
    ImplicitWindow<Dialog>()->ShowModal();
    g_log.push_back("returned");
  });
  ASSERT_TRUE(s.window("Dialog"));
  EXPECT_TRUE(s.window("Dialog")->modal());
  EXPECT_TRUE(g_log.empty() || g_log.back() != "returned");

  ASSERT_TRUE(s.press("Dialog.CloseIt"));
  EXPECT_EQ(g_log.back(), "returned");
  EXPECT_FALSE(s.window("Dialog"));
  EXPECT_FALSE(s.finished());
}

TEST_F(WindowTest, ImplicitInstanceIsMadeOnceAndAgainAfterClose) {
  Ref<Dialog> first, again, after_close;
  Session s;
  s.start([&] {
    first = ImplicitWindow<Dialog>();
    again = ImplicitWindow<Dialog>();
    first->Close();
    after_close = ImplicitWindow<Dialog>();
  });
  EXPECT_EQ(first, again);
  EXPECT_NE(first, after_close);
  EXPECT_TRUE(first->closed());
  EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "Dialog.Open"), 2);
  EXPECT_EQ(_GetImplicitWindow("Dialog.Dialog").get(), after_close.get());
}

TEST_F(WindowTest, ControlOfAClosedWindowIsStillThereButReachesNoUser) {
  Session s;
  s.start([] { ImplicitWindow<Dialog>(); });
  Ref<Window> w = s.window("Dialog");
  ASSERT_TRUE(w);
  ASSERT_TRUE(s.press("Dialog.CloseIt"));
  EXPECT_FALSE(w->control<PushButton>("OK").reachable());
  EXPECT_FALSE(s.press("Dialog.OK"));
  EXPECT_THROW(w->control<Label>("OK"), NilObjectException);  // not a Label
}

struct KeyCase {
  const char* key;
  std::vector<std::string> pressed;
  friend void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.key; }
};

class DefaultAndCancelKeys : public WindowTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(DefaultAndCancelKeys, PressTheirButton) {
  Session s;
  s.start([] { ImplicitWindow<Dialog>(); });
  g_log.clear();
  ASSERT_TRUE(s.key("Dialog", GetParam().key));
  EXPECT_EQ(g_log, GetParam().pressed);
}

INSTANTIATE_TEST_SUITE_P(Keys, DefaultAndCancelKeys,
                         ::testing::Values(KeyCase{"Return", {"OK"}}, KeyCase{"Enter", {"OK"}},
                                           KeyCase{"Escape", {"Cancel"}}, KeyCase{"Tab", {}}),
                         [](const auto& info) { return std::string(info.param.key); });

TEST_F(WindowTest, DisabledDefaultButtonTakesNoReturn) {
  Session s;
  s.start([] { ImplicitWindow<Dialog>()->control<PushButton>("OK").set_Enabled(false); });
  g_log.clear();
  ASSERT_TRUE(s.key("Dialog", "Return"));
  EXPECT_TRUE(g_log.empty());
  EXPECT_FALSE(s.press("Dialog.OK"));
}

TEST_F(WindowTest, ModalWindowKeepsTheUserFromOtherWindows) {
  class Other : public Window {
   public:
    static const ClassRecord& class_record() { return subclass_record<Other, Window>("Other"); }

   protected:
    void CreateControls() override {
      AddControl<PushButton>("Button", {}).set_Action([](PushButton&) { g_log.push_back("Other"); });
    }
  };
  Session s;
  s.start([] {
    ImplicitWindow<Other>();
    ImplicitWindow<Dialog>()->ShowModal();
  });
  EXPECT_FALSE(s.press("Other.Button"));
  ASSERT_TRUE(s.press("Dialog.CloseIt"));
  EXPECT_TRUE(s.press("Other.Button"));
  EXPECT_EQ(g_log.back(), "Other");
}

TEST_F(WindowTest, TypingReplacesTheFieldsText) {
  Session s;
  s.start([] { ImplicitWindow<Dialog>(); });
  ASSERT_TRUE(s.type("Dialog.Field", "&h1400"));
  ASSERT_NE(s.control<TextField>("Dialog.Field"), nullptr);
  EXPECT_EQ(s.control<TextField>("Dialog.Field")->Text().utf8(), "&h1400");
}

// Locks: one control with the case's locks in a 600 x 400 window.
struct LockCase {
  const char* name;
  Locks locks;
  Rect placed;
  int32_t window_width, window_height;  // resized to
  Rect expected;
  friend void PrintTo(const LockCase& c, std::ostream* os) { *os << c.name; }
};

LockCase g_lock_case;

class LockWindow : public Window {
 public:
  static const ClassRecord& class_record() { return subclass_record<LockWindow, Window>("LockWindow"); }

 protected:
  void Layout() override { _SetProperties({.Width = 600, .Height = 400}); }
  void CreateControls() override {
    const LockCase& c = g_lock_case;
    AddControl<TextField>("Field", {.Left = c.placed.left,
                                    .Top = c.placed.top,
                                    .Width = c.placed.width,
                                    .Height = c.placed.height,
                                    .LockLeft = c.locks.left,
                                    .LockTop = c.locks.top,
                                    .LockRight = c.locks.right,
                                    .LockBottom = c.locks.bottom});
  }
};

class ControlLocks : public ::testing::TestWithParam<LockCase> {};

TEST_P(ControlLocks, KeepTheDistanceToTheLockedEdges) {
  g_lock_case = GetParam();
  Session s;
  s.start([] { ImplicitWindow<LockWindow>(); });
  ASSERT_TRUE(s.resize("LockWindow", GetParam().window_width, GetParam().window_height));
  ASSERT_NE(s.control<TextField>("LockWindow.Field"), nullptr);
  EXPECT_EQ(s.control<TextField>("LockWindow.Field")->bounds(), GetParam().expected);
  // Back to the design size: back to the design place.
  ASSERT_TRUE(s.resize("LockWindow", 600, 400));
  EXPECT_EQ(s.control<TextField>("LockWindow.Field")->bounds(), GetParam().placed);
}

INSTANTIATE_TEST_SUITE_P(
    Resize, ControlLocks,
    ::testing::Values(
        LockCase{"None", {}, {20, 14, 95, 20}, 700, 500, {20, 14, 95, 20}},
        LockCase{"LeftRightBottom", {true, false, true, true}, {20, 358, 560, 22}, 700, 500, {20, 458, 660, 22}},
        LockCase{"LeftBottom", {true, false, false, true}, {20, 326, 100, 20}, 700, 500, {20, 426, 100, 20}},
        LockCase{"LeftTopRight", {true, true, true, false}, {261, 44, 319, 22}, 500, 300, {261, 44, 219, 22}},
        LockCase{"RightOnly", {false, false, true, false}, {500, 10, 80, 20}, 550, 400, {450, 10, 80, 20}},
        LockCase{"TopBottom", {false, true, false, true}, {10, 10, 80, 300}, 600, 450, {10, 10, 80, 350}},
        LockCase{"ShrinksToNothingNotBelow", {true, false, true, false}, {20, 44, 100, 22}, 64, 400, {20, 44, 0, 22}},
        LockCase{"WindowHeldAtItsMinimum", {false, false, false, true}, {20, 358, 100, 22}, 10, 10, {20, 22, 100, 22}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
