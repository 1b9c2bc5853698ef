#pragma once
// mainWindow: the update window. Start runs the update as a chain of steps on
// the one-shot Timer1: each firing runs the next step, and each step that
// succeeds re-arms the timer as its last act (StartNext).
//
//   1 Work1   query the device: packet size, family, memory regions
//   2 Work2   read the Intel HEX text into the region images; quit when no
//             region is programmed or the firmware holds no byte for one
//   3 Work3a  prepare
//   4 Work3b  erase (Cancel is disabled from here on)
//   5 Work3c  query again until the device answers
//   6 Work4   program every region that is not a configuration region
//   7 Work5   read everything back and compare
//   8         "Update installed." and quit
//
// Every fatal failure shows its message and quits (exit code 0).

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/memoryblock.h"
#include "framework/timer.h"
#include "framework/ui/canvas.h"
#include "framework/ui/label.h"
#include "framework/ui/progress_bar.h"
#include "framework/ui/push_button.h"
#include "framework/ui/subclass.h"
#include "framework/ui/window.h"

namespace updater {

struct VerifyState;

// How long step 5 waits for the device to answer after the erase: erasing a
// large part takes seconds.
inline constexpr int64_t kEraseAnswerTicks = 30 * 60;
// How long verification waits for each answer: ReadCommand's own wait.
inline constexpr int64_t kVerifyAnswerTicks = 120;

class mainWindow : public framework::Window {
 public:
  static const framework::ClassRecord& class_record() {
    return framework::subclass_record<mainWindow, framework::Window>("mainWindow");
  }

  mainWindow() = default;

  // The number of the last step started; only grows.
  int32_t count = 0;
  // Set by the service console's "Startall".
  bool RunAll = false;

  framework::ProgressBar& bar() const { return control<framework::ProgressBar>("bar"); }
  framework::Label& StaticText1() const { return control<framework::Label>("StaticText1"); }
  framework::Label& info() const { return control<framework::Label>("info"); }
  framework::PushButton& Cancelbutton() const { return control<framework::PushButton>("Cancelbutton"); }
  framework::Timer& Timer1() const { return control<framework::Timer>("Timer1"); }
  framework::Label& version() const { return control<framework::Label>("version"); }
  framework::PushButton& StartButton() const { return control<framework::PushButton>("StartButton"); }
  framework::Canvas& Canvas2() const { return control<framework::Canvas>("Canvas2"); }
  framework::Canvas& Canvas1() const { return control<framework::Canvas>("Canvas1"); }

  void Cancelbutton_Action();
  void Timer1_Action();
  void version_Open(framework::Label& label);
  void StartButton_Action();
  void Canvas2_Paint(framework::Canvas& canvas, framework::Graphics& g, const std::vector<framework::Rect>& areas);
  void Canvas1_Paint(framework::Canvas& canvas, framework::Graphics& g, const std::vector<framework::Rect>& areas);

  // The steps; each ends with StartNext, or with Quit after its message.
  void Work1();
  void Work2();
  void StartNext();
  void Work3a();
  void Work4();
  void Work5();
  void Work3c();
  void Work3b();

 protected:
  void Layout() override;
  void CreateControls() override;
  void Event_Open() override;

 private:
  void _CreateControls0();
  // Verification of one region; see Work5.
  void VerifyRegion(int32_t index, VerifyState& state);
};

}  // namespace updater
