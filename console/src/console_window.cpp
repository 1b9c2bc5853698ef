#include "console/console_window.h"

#include "framework/timer.h"
#include "protocol/trace.h"
#include "updater/main_window.h"

namespace console {

using framework::Label;
using framework::PushButton;
using framework::TextField;

namespace {

updater::mainWindow& MainWindow() { return *framework::ImplicitWindow<updater::mainWindow>(); }

PushButton::Properties Button(int32_t left, int32_t top, int32_t width, int32_t tab, const char* caption) {
  PushButton::Properties p{.Left = left, .Top = top, .Width = width, .Height = 20, .TabIndex = tab};
  p.Caption = caption;
  p.Default = false;
  p.Cancel = false;
  p.ButtonStyle = 0;
  return p;
}

Label::Properties Caption(int32_t top, int32_t tab, const char* text, bool locked_to_bottom) {
  Label::Properties p{.Left = 20,
                      .Top = top,
                      .Width = 100,
                      .Height = 20,
                      .LockLeft = locked_to_bottom,
                      .LockBottom = locked_to_bottom,
                      .TabIndex = tab};
  p.Text = text;
  return p;
}

}  // namespace

void ConsoleWindow::Layout() {
  _SetProperties({.Width = 600,
                  .Height = 400,
                  .MinWidth = 64,
                  .MinHeight = 64,
                  .MaxWidth = 32000,
                  .MaxHeight = 32000,
                  .Title = "Ohne Titel",
                  .Frame = 0,
                  .Placement = 0,
                  .CloseButton = true,
                  .Resizeable = true,
                  .LiveResize = true,
                  .MinimizeButton = true,
                  .MaximizeButton = false,
                  .FullScreen = false,
                  .MenuBarVisible = true,
                  .Composite = false,
                  .HasBackColor = false,
                  .BackColor = 0xFFFFFF,
                  .Visible = true,
                  .MacProcID = 0});
}

void ConsoleWindow::CreateControls() { _CreateControls0(); }

void ConsoleWindow::_CreateControls0() {
  AddControl<PushButton>("PushButton1", Button(20, 14, 95, 0, "Startnext")).set_Action([this](PushButton& b) {
    PushButton1_Action(b);
  });
  AddControl<PushButton>("PushButton2", Button(458, 12, 122, 1, "Query Device")).set_Action([this](PushButton& b) {
    PushButton2_Action(b);
  });
  AddControl<TextField>("Empfangen", {.Left = 20,
                                      .Top = 358,
                                      .Width = 560,
                                      .Height = 22,
                                      .LockLeft = true,
                                      .LockRight = true,
                                      .LockBottom = true,
                                      .TabIndex = 2});
  AddControl<TextField>("Versendet", {.Left = 20,
                                      .Top = 292,
                                      .Width = 560,
                                      .Height = 22,
                                      .LockLeft = true,
                                      .LockRight = true,
                                      .LockBottom = true,
                                      .TabIndex = 3});
  AddControl<Label>("StaticText1", Caption(326, 4, "Empfangen:", true));
  AddControl<Label>("StaticText2", Caption(260, 5, "Versendet:", true));
  AddControl<TextField>("iAddress", {.Left = 127, .Top = 45, .Width = 122, .Height = 22, .TabIndex = 6});
  AddControl<Label>("StaticText3", Caption(46, 7, "Address:", false));
  AddControl<PushButton>("PushButton3", Button(20, 78, 80, 8, "Read")).set_Action([this](PushButton& b) {
    PushButton3_Action(b);
  });
  AddControl<TextField>("output", {.Left = 261,
                                   .Top = 44,
                                   .Width = 319,
                                   .Height = 22,
                                   .LockLeft = true,
                                   .LockTop = true,
                                   .LockRight = true,
                                   .TabIndex = 9});
  AddControl<PushButton>("PushButton4", Button(112, 78, 80, 10, "Write")).set_Action([this](PushButton& b) {
    PushButton4_Action(b);
  });
  AddControl<PushButton>("PushButton5", Button(204, 78, 80, 11, "Complete")).set_Action([this](PushButton& b) {
    PushButton5_Action(b);
  });
  AddControl<PushButton>("PushButton6", Button(127, 14, 95, 12, "Startall")).set_Action([this](PushButton& b) {
    PushButton6_Action(b);
  });
  AddControl<PushButton>("PushButton7", Button(296, 78, 80, 13, "Erase")).set_Action([this](PushButton& b) {
    PushButton7_Action(b);
  });
}

void ConsoleWindow::Event_Open() { HID::InitLog(HID::kConsoleLogName); }

void ConsoleWindow::PushButton1_Action(PushButton& button) {
  button.set_Enabled(false);
  MainWindow().Timer1().set_Mode(framework::Timer::ModeSingle);
}

void ConsoleWindow::PushButton6_Action(PushButton&) {
  updater::mainWindow& main = MainWindow();
  main.RunAll = true;
  main.Timer1().set_Mode(framework::Timer::ModeSingle);
}

updater::ConsoleEntries Register() {
  // Every build knows the class; only a diagnostic one opens the window.
  ConsoleWindow::class_record();
#if DiagnosticBuild
  return {
      .OpenBelow =
          [](updater::mainWindow& main) {
            // The first use makes and opens the console.
            framework::ImplicitWindow<ConsoleWindow>()->set_Left(main.Left());
            framework::ImplicitWindow<ConsoleWindow>()->set_Top(main.Top() + 40 + main.Height());
            framework::ImplicitWindow<ConsoleWindow>()->Show();
          },
      .EnableStartnext = [] { framework::ImplicitWindow<ConsoleWindow>()->PushButton1().set_Enabled(true); },
  };
#else
  return {};
#endif
}

}  // namespace console
