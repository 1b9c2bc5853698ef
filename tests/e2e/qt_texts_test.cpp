// Every text the windows put into a label or a button, in a control of the
// size the window gives it, measured with the Qt backend's own font: each
// must show whole, on one line and not cut at the bottom.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/timer.h"
#include "framework/ui/label.h"
#include "framework/ui/menu.h"
#include "framework/ui/push_button.h"
#include "framework/ui/qt.h"
#include "framework/ui/run.h"
#include "framework/ui/window.h"

namespace {

using namespace framework;

enum class Kind { Label, MultilineLabel, Button };

struct TextCase {
  const char* control;  // WINDOW.CONTROL, for the report
  Kind kind;
  int32_t width, height;
  std::vector<const char*> texts;
};

// The sample package's version stands for the version texts.
const std::vector<TextCase>& Cases() {
  static const std::vector<TextCase> cases = {
      {"DeviceDialog.StaticText2", Kind::Label, 156, 20, {"Searching USB device..."}},
      {"DeviceDialog.StaticText1", Kind::Label, 256, 20, {"1.0.0"}},
      {"DeviceDialog.PushButton1", Kind::Button, 92, 20, {"Cancel"}},
      {"mainWindow.StaticText1",
       Kind::MultilineLabel,
       256,
       20,
       {"Ready to install the update.", "Installing new firmware... Do not disconnect.", "New firmware installed."}},
      {"mainWindow.info",
       Kind::Label,
       256,
       20,
       {"Query device status...", "Reading update data...", "Preparing device...", "Writing new firmware to device...",
        "Verify firmware...", "Done."}},
      {"mainWindow.version", Kind::Label, 384, 20, {"1.0.0"}},
      {"mainWindow.Cancelbutton", Kind::Button, 96, 20, {"Abbrechen"}},
      {"mainWindow.StartButton", Kind::Button, 96, 20, {"Start"}},
      {"ConsoleWindow.PushButton1", Kind::Button, 95, 20, {"Startnext"}},
      {"ConsoleWindow.PushButton6", Kind::Button, 95, 20, {"Startall"}},
      {"ConsoleWindow.PushButton2", Kind::Button, 122, 20, {"Query Device"}},
      {"ConsoleWindow.PushButton3", Kind::Button, 80, 20, {"Read", "Write", "Complete", "Erase"}},
      {"ConsoleWindow.StaticText1", Kind::Label, 100, 20, {"Empfangen:", "Versendet:", "Address:"}},
  };
  return cases;
}

// One control per text, each of its case's size, one below the other.
class TextsWindow : public Window {
 public:
  static const ClassRecord& class_record() { return subclass_record<TextsWindow, Window>("TextsWindow"); }

 protected:
  void Layout() override { _SetProperties({.Width = 400, .Height = 600}); }
  void CreateControls() override {
    int n = 0;
    for (const TextCase& c : Cases()) {
      for (const char* text : c.texts) {
        const std::string name = "c" + std::to_string(n);
        const int32_t top = 24 * n++;
        if (c.kind == Kind::Button) {
          PushButton::Properties p{.Left = 0, .Top = top, .Width = c.width, .Height = c.height};
          p.Caption = text;
          AddControl<PushButton>(name, p);
        } else {
          Label::Properties p{.Left = 0, .Top = top, .Width = c.width, .Height = c.height};
          p.Text = text;
          p.Multiline = c.kind == Kind::MultilineLabel;
          AddControl<Label>(name, p);
        }
      }
    }
  }
};

struct Measured {
  std::string family;
  int texts = 0;
  std::vector<std::string> cut;  // "CONTROL \"TEXT\": why"
};
Measured g_measured;

std::string Where(const TextCase& c, const QString& text) {
  return std::string(c.control) + " \"" + text.toStdString() + "\"";
}

// The text on one line inside the label, its line no higher than the label.
void MeasureLabel(const TextCase& c, QLabel* label) {
  const QFontMetrics fm = label->fontMetrics();
  const QRect room = label->contentsRect();
  if (label->wordWrap()) {
    const int needed = label->heightForWidth(label->width());
    if (needed > label->height())
      g_measured.cut.push_back(Where(c, label->text()) + ": needs " + std::to_string(needed) + " px of height");
  } else if (fm.horizontalAdvance(label->text()) > room.width()) {
    g_measured.cut.push_back(Where(c, label->text()) + ": " + std::to_string(fm.horizontalAdvance(label->text())) +
                             " px wide");
  }
  if (fm.height() > room.height())
    g_measured.cut.push_back(Where(c, label->text()) + ": line of " + std::to_string(fm.height()) + " px");
}

// The caption inside the part of the button that the style leaves for it.
void MeasureButton(const TextCase& c, QPushButton* button) {
  QStyleOptionButton option;
  option.initFrom(button);
  option.text = button->text();
  const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
  const QFontMetrics fm = button->fontMetrics();
  if (fm.horizontalAdvance(button->text()) > room.width() || fm.height() > room.height())
    g_measured.cut.push_back(Where(c, button->text()) + ": " + std::to_string(fm.horizontalAdvance(button->text())) +
                             " x " + std::to_string(fm.height()) + " px in " + std::to_string(room.width()) + " x " +
                             std::to_string(room.height()));
}

void MeasureAll() {
  g_measured.family = QFontInfo(QApplication::font()).family().toStdString();
  for (QWidget* top : QApplication::topLevelWidgets()) {
    for (const TextCase& c : Cases()) {
      for (const char* text : c.texts) {
        const QString wanted = QString::fromUtf8(text);
        for (QLabel* l : top->findChildren<QLabel*>()) {
          if (c.kind != Kind::Button && l->text() == wanted && l->width() == c.width) {
            MeasureLabel(c, l);
            ++g_measured.texts;
          }
        }
        for (QPushButton* b : top->findChildren<QPushButton*>()) {
          if (c.kind == Kind::Button && b->text() == wanted && b->width() == c.width) {
            MeasureButton(c, b);
            ++g_measured.texts;
          }
        }
      }
    }
  }
}

class TextsApp : public Application {
 public:
  static const ClassRecord& class_record() { return subclass_record<TextsApp, Application>("TextsApp"); }
  void Event_Open() override {
    window_ = ImplicitWindow<TextsWindow>();
    look_ = make<Timer>();
    look_->set_Period(20);
    look_->set_Action([] {
      MeasureAll();
      Quit();
    });
    look_->set_Mode(Timer::ModeSingle);
  }

 private:
  Ref<TextsWindow> window_;
  Ref<Timer> look_;
};

TEST(QtTextsTest, EveryTextShowsWholeInItsControl) {
  std::unique_ptr<ui::Backend> backend = qt::make_backend();
  ASSERT_TRUE(backend);
  ui::Startup s;
  s.make_application = [] { return Ref<Application>(make<TextsApp>()); };
  s.make_menu_bar = [] { return Ref<MenuBar>(make<MenuBar>()); };
  ASSERT_EQ(ui::run_application(*backend, s), 0);

  size_t texts = 0;
  for (const TextCase& c : Cases()) texts += c.texts.size();
  EXPECT_EQ(g_measured.family, "Liberation Sans") << "the font of the backend, from fonts-liberation2";
  EXPECT_EQ(g_measured.texts, static_cast<int>(texts)) << "each text found in its control";
  for (const std::string& cut : g_measured.cut) ADD_FAILURE() << "cut: " << cut;
}

}  // namespace
