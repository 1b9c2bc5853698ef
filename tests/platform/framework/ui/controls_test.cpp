#include <gtest/gtest.h>

#include "framework/ui/progress_bar.h"
#include "framework/ui/session.h"
#include "framework/ui/text_field.h"
#include "framework/ui/window.h"

using namespace framework;
using framework::headless::Session;

namespace {

class FieldsWindow : public Window {
 public:
  static const ClassRecord& class_record() { return subclass_record<FieldsWindow, Window>("FieldsWindow"); }

 protected:
  void CreateControls() override {
    AddControl<ProgressBar>("bar", {.Maximum = 500});
    AddControl<TextField>("Short", {.LimitText = 4});
    AddControl<TextField>("Fixed", {.Text = "as built", .ReadOnly = true});
    AddTimer("Ticker", {.Mode = Timer::ModeMultiple, .Period = 10}, [](Timer&) { ++ticks; });
  }

 public:
  static inline int ticks = 0;
};

struct ValueCase {
  int32_t maximum, value, shown;
  friend void PrintTo(const ValueCase& c, std::ostream* os) { *os << c.value << " of " << c.maximum; }
};

class ProgressShown : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ProgressShown, HoldsTheValueWithinTheBar) {
  Session s;
  s.start([] { ImplicitWindow<FieldsWindow>(); });
  ProgressBar* bar = s.control<ProgressBar>("FieldsWindow.bar");
  ASSERT_NE(bar, nullptr);
  s.run_event([&] {
    bar->set_Maximum(GetParam().maximum);
    bar->set_Value(GetParam().value);
  });
  EXPECT_EQ(bar->Value(), GetParam().value);  // kept as set
  EXPECT_EQ(bar->shown_value(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Values, ProgressShown,
                         ::testing::Values(ValueCase{500, 100, 100}, ValueCase{500, 600, 500}, ValueCase{100, -5, 0},
                                           ValueCase{-3, 10, 0}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(TextFieldTest, TypingKeepsToTheLimitAndNeverChangesAReadOnlyField) {
  Session s;
  s.start([] { ImplicitWindow<FieldsWindow>(); });
  ASSERT_TRUE(s.type("FieldsWindow.Short", "Gerät 1"));
  EXPECT_EQ(s.control<TextField>("FieldsWindow.Short")->Text().utf8(), "Gerä");
  EXPECT_FALSE(s.type("FieldsWindow.Fixed", "typed"));
  EXPECT_EQ(s.control<TextField>("FieldsWindow.Fixed")->Text().utf8(), "as built");
}

TEST(WindowTimerTest, StopsWhenItsWindowCloses) {
  FieldsWindow::ticks = 0;
  Session s;
  s.start([] { ImplicitWindow<FieldsWindow>(); });
  s.run_for(std::chrono::milliseconds(100));
  EXPECT_EQ(FieldsWindow::ticks, 10);
  s.run_event([&] { s.window("FieldsWindow")->Close(); });
  s.run_for(std::chrono::milliseconds(100));
  EXPECT_EQ(FieldsWindow::ticks, 10);
}

}  // namespace
