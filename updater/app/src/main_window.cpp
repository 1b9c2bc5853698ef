#include "updater/main_window.h"

#include <utility>

#include "framework/application.h"
#include "framework/text.h"
#include "framework/ui/msgbox.h"
#include "protocol/module.h"
#include "updater/app.h"
#include "updater/pictures.h"

namespace updater {

using framework::Canvas;
using framework::Graphics;
using framework::Label;
using framework::ProgressBar;
using framework::PushButton;
using framework::Rect;
using framework::String;

void mainWindow::Layout() {
  _SetProperties({.Width = 640,
                  .Height = 200,
                  .MinWidth = 64,
                  .MinHeight = 64,
                  .MaxWidth = 32000,
                  .MaxHeight = 32000,
                  .Title = "",
                  .Frame = 0,
                  .Placement = 0,
                  .CloseButton = false,
                  .Resizeable = false,
                  .LiveResize = false,
                  .MinimizeButton = true,
                  .MaximizeButton = false,
                  .FullScreen = false,
                  .MenuBarVisible = true,
                  .Composite = false,
                  .HasBackColor = true,
                  .BackColor = 0xFFFFFF,
                  .Visible = true,
                  .MacProcID = 0});
}

void mainWindow::CreateControls() { _CreateControls0(); }

void mainWindow::_CreateControls0() {
  AddControl<ProgressBar>(
      "bar", {.Left = 160, .Top = 128, .Width = 460, .Height = 20, .TabIndex = 0, .Maximum = 500, .Value = 0});

  Label::Properties status{.Left = 160, .Top = 14, .Width = 256, .Height = 20, .TabIndex = 0};
  status.Text = "Ready to install the update.";
  status.Multiline = true;
  AddControl<Label>("StaticText1", status);

  AddControl<Label>("info", {.Left = 160, .Top = 46, .Width = 256, .Height = 20, .TabIndex = 1});

  PushButton::Properties cancel{.Left = 524, .Top = 160, .Width = 96, .Height = 20, .TabIndex = 2};
  cancel.Caption = "Abbrechen";
  cancel.Cancel = true;
  cancel.Default = false;
  cancel.ButtonStyle = 0;
  AddControl<PushButton>("Cancelbutton", cancel).set_Action([this](PushButton&) { Cancelbutton_Action(); });

  AddTimer("Timer1", {.Mode = framework::Timer::ModeOff, .Period = 100},
           [this](framework::Timer&) { Timer1_Action(); });

  AddControl<Label>("version", {.Left = 20, .Top = 160, .Width = 384, .Height = 20, .TabIndex = 3})
      .set_Open([this](Label& l) { version_Open(l); });

  PushButton::Properties start{.Left = 416, .Top = 160, .Width = 96, .Height = 20, .TabIndex = 4};
  start.Caption = "Start";
  start.Cancel = false;
  start.Default = false;
  start.ButtonStyle = 0;
  AddControl<PushButton>("StartButton", start).set_Action([this](PushButton&) { StartButton_Action(); });

  AddControl<Canvas>("Canvas2", {.Left = 20, .Top = 14, .Width = 128, .Height = 128, .TabIndex = 6})
      .set_Paint([this](Canvas& c, Graphics& g, const std::vector<Rect>& areas) { Canvas2_Paint(c, g, areas); });
  AddControl<Canvas>("Canvas1", {.Left = 420, .Top = 14, .Width = 200, .Height = 60, .TabIndex = 5})
      .set_Paint([this](Canvas& c, Graphics& g, const std::vector<Rect>& areas) { Canvas1_Paint(c, g, areas); });
}

void mainWindow::Event_Open() {
  set_Title(HID::datatitle);
#if DiagnosticBuild
  const ConsoleEntries& console = TheApp().bound().console;
  if (console.OpenBelow) console.OpenBelow(*this);
#endif
}

void mainWindow::version_Open(Label& label) { label.set_Text(HID::dataversion); }

void mainWindow::Canvas2_Paint(Canvas&, Graphics& g, const std::vector<Rect>&) { PaintPicture(TheApp().logo, g); }

void mainWindow::Canvas1_Paint(Canvas&, Graphics& g, const std::vector<Rect>&) { PaintPicture(vastelBig(), g); }

void mainWindow::Cancelbutton_Action() { framework::Quit(); }

void mainWindow::StartButton_Action() {
  StaticText1().set_Text("Installing new firmware... Do not disconnect.");
  StartButton().set_Enabled(false);
  StartNext();
}

void mainWindow::StartNext() {
#if DiagnosticBuild
  // The console steps the machine: only Startall lets it run on by itself.
  const ConsoleEntries& console = TheApp().bound().console;
  if (console.EnableStartnext) console.EnableStartnext();
  if (RunAll) Timer1().set_Mode(framework::Timer::ModeSingle);
#else
  Timer1().set_Mode(framework::Timer::ModeSingle);
#endif
}

void mainWindow::Timer1_Action() {
  count += 1;
  switch (count) {
    case 1:
      Work1();
      break;
    case 2:
      Work2();
      break;
    case 3:
      Work3a();
      break;
    case 4:
      Work3b();
      break;
    case 5:
      Work3c();
      break;
    case 6:
      Work4();
      break;
    case 7:
      Work5();
      break;
    case 8: {
      Timer1().set_Mode(framework::Timer::ModeOff);
      StaticText1().set_Text("New firmware installed.");
      info().set_Text("Done.");
      const String eol = framework::EndOfLine;
      framework::MsgBox(String("Update installed.") + eol + eol + "Please disconnect the device and turn it off.");
      framework::Quit();
    }
    default:
      break;
  }
}

}  // namespace updater
