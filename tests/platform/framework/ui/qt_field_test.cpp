// A single-line field whose text is longer than the field: what the program
// puts in shows from its start, what the user types keeps the cursor where
// the user is.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <string>

#include "framework/application.h"
#include "framework/timer.h"
#include "framework/ui/qt.h"
#include "framework/ui/run.h"
#include "framework/ui/text_field.h"
#include "framework/ui/window.h"
#include "quit_menu_bar.h"

using namespace framework;

namespace {

// A packet as the console shows it: command, address and count first, then zeros.
const std::string kDesign = "0100000000" + std::string(118, '0');
const std::string kSet = "0507000010" + std::string(118, '0');

struct Seen {
  int design_cursor = -1;
  int set_cursor = -1;
  bool set_start_shown = false;
  int end_cursor = -1;
  int middle_cursor = -1;
  std::string text_after;
};
Seen g_seen;

class FieldWindow : public Window {
 public:
  static const ClassRecord& class_record() { return subclass_record<FieldWindow, Window>("FieldWindow"); }

 protected:
  void CreateControls() override {
    TextField::Properties p{.Left = 10, .Top = 10, .Width = 200, .Height = 22};
    p.Text = String(kDesign);
    AddControl<TextField>("Field", p);
  }
};

QLineEdit* the_edit() {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (auto edits = top->findChildren<QLineEdit*>(); edits.size() == 1) return edits[0];
  }
  throw std::runtime_error("no single line edit");
}

// The field's left half looks as that of a field holding only the text's
// start; neither has the focus, so that no cursor is drawn.
bool start_in_view(QLineEdit* edit, const std::string& text) {
  edit->clearFocus();
  QLineEdit start(QString::fromStdString(text.substr(0, 24)), edit->parentWidget());
  start.setGeometry(edit->geometry());
  start.setFont(edit->font());
  start.setCursorPosition(0);
  const QRect half(0, 0, edit->width() / 2, edit->height());
  return edit->grab(half).toImage() == start.grab(half).toImage();
}

// The program's texts, then the user's typing at the end and in the middle,
// each looked at once the model has taken the typing.
class FieldApp : public Application {
 public:
  static const ClassRecord& class_record() { return subclass_record<FieldApp, Application>("FieldApp"); }
  void Event_Open() override {
    window_ = ImplicitWindow<FieldWindow>();
    step_ = make<Timer>();
    step_->set_Period(30);
    step_->set_Mode(Timer::ModeMultiple);
    step_->set_Action([this] { Step(); });
  }

 private:
  void Step() {
    QLineEdit* edit = the_edit();
    switch (++n_) {
      case 1:
        g_seen.design_cursor = edit->cursorPosition();
        window_->control<TextField>("Field").set_Text(String(kSet));
        g_seen.set_cursor = edit->cursorPosition();
        g_seen.set_start_shown = start_in_view(edit, kSet);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(edit, "AB");
        break;
      case 2:
        g_seen.end_cursor = edit->cursorPosition();
        QTest::keyClick(edit, Qt::Key_Home);
        for (int i = 0; i < 4; ++i) QTest::keyClick(edit, Qt::Key_Right);
        QTest::keyClicks(edit, "Z");
        break;
      default:
        g_seen.middle_cursor = edit->cursorPosition();
        g_seen.text_after = window_->control<TextField>("Field").Text().utf8();
        step_->set_Mode(Timer::ModeOff);
        Quit();
    }
  }

  Ref<FieldWindow> window_;
  Ref<Timer> step_;
  int n_ = 0;
};

TEST(QtFieldTest, TheProgramsTextShowsFromItsStartAndTypingKeepsTheCursor) {
  std::unique_ptr<ui::Backend> backend = qt::make_backend();
  ASSERT_TRUE(backend);
  ui::Startup s;
  s.make_application = [] { return Ref<Application>(make<FieldApp>()); };
  s.make_menu_bar = [] { return Ref<MenuBar>(make<ui_test::QuitMenuBar>()); };
  ASSERT_EQ(ui::run_application(*backend, s), 0);

  EXPECT_EQ(g_seen.design_cursor, 0) << "the design text from its start";
  EXPECT_EQ(g_seen.set_cursor, 0) << "a text the program set, from its start";
  EXPECT_TRUE(g_seen.set_start_shown) << "the command, address and count bytes in view";
  EXPECT_EQ(g_seen.end_cursor, static_cast<int>(kSet.size()) + 2) << "typing at the end stays at the end";
  EXPECT_EQ(g_seen.middle_cursor, 5) << "typing in the middle stays in the middle";
  EXPECT_EQ(g_seen.text_after, "0507Z000010" + std::string(118, '0') + "AB");
}

}  // namespace
