// A small application with one window of every kind of control, for scripted
// runs and screenshots of the UI backends. "Go" fills the bar, changes the
// label and shows a message; the canvas shows a picture of four coloured
// quarters, stretched into it.
#include "framework/ui/canvas.h"
#include "framework/ui/label.h"
#include "framework/ui/msgbox.h"
#include "framework/ui/progress_bar.h"
#include "framework/ui/push_button.h"
#include "framework/ui/run.h"
#include "framework/ui/text_field.h"
#include "framework/ui/window.h"
#include "../quit_menu_bar.h"

using namespace framework;

namespace {

// 40 x 20: red, green / blue, yellow quarters.
Ref<Picture> quarters() {
  Ref<Picture> p = make<Picture>(40, 20);
  for (int32_t y = 0; y < 20; ++y) {
    for (int32_t x = 0; x < 40; ++x) {
      uint32_t c = y < 10 ? (x < 20 ? 0xFF0000 : 0x00FF00) : (x < 20 ? 0x0000FF : 0xFFFF00);
      p->set_Pixel(x, y, c);
    }
  }
  return p;
}

class sampleWindow : public Window {
 public:
  static const ClassRecord& class_record() { return subclass_record<sampleWindow, Window>("sampleWindow"); }

 protected:
  void Layout() override {
    _SetProperties({.Width = 320,
                    .Height = 160,
                    .Title = "Sample",
                    .CloseButton = false,
                    .Resizeable = false,
                    .HasBackColor = true,
                    .BackColor = 0xFFFFFF});
  }

  void CreateControls() override {
    AddControl<Label>("info", {.Left = 20, .Top = 14, .Width = 180, .Height = 20, .Text = "Ready."});
    AddControl<TextField>("name", {.Left = 20, .Top = 44, .Width = 180, .Height = 22});
    AddControl<ProgressBar>("bar", {.Left = 20, .Top = 84, .Width = 280, .Height = 20, .Maximum = 500});
    AddControl<Canvas>("picture", {.Left = 220, .Top = 14, .Width = 80, .Height = 60})
        .set_Paint([this](Canvas&, Graphics& g, const std::vector<Rect>&) {
          g.DrawPicture(picture_, 0, 0, g.Width(), g.Height(), 0, 0, picture_->Width(), picture_->Height());
        });
    AddControl<PushButton>("GoButton",
                           {.Left = 204, .Top = 124, .Width = 96, .Height = 20, .Caption = "Go", .Default = true})
        .set_Action([this](PushButton& b) { Go(b); });
  }

 private:
  void Go(PushButton& b) {
    b.set_Enabled(false);
    control<ProgressBar>("bar").set_Value(500);
    control<Label>("info").set_Text("Hello, " + control<TextField>("name").Text().utf8() + ".");
    MsgBox("Done.");
  }

  Ref<Picture> picture_ = quarters();
};

class SampleApp : public Application {
 public:
  static const ClassRecord& class_record() { return subclass_record<SampleApp, Application>("SampleApp"); }
  void Event_Open() override { ImplicitWindow<sampleWindow>(); }
};

}  // namespace

int main() { return run<SampleApp, ui_test::QuitMenuBar>(); }
