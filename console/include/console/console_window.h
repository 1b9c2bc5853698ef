#pragma once
// ConsoleWindow: the service console of diagnostic builds. It steps the
// update window's machine (mainWindow) one step per "Startnext" press or all
// remaining steps with "Startall", and sends single bootloader commands by
// hand, showing the packet sent in `Versendet` and the reply in `Empfangen`
// as hex text.
//
//   "Query Device"  QUERY_DEVICE; sets BytesPerPacket, DeviceFamily,
//                   bytesPerAddress and appends the reply's memory regions
//   "Read"          GET_DATA of BytesPerPacket bytes at iAddress into output
//   "Write"         PROGRAM_DEVICE of output's bytes at iAddress
//   "Complete"      PROGRAM_COMPLETE
//   "Erase"         ERASE_DEVICE
//
// No command quits the application: a wrong, short or missing reply and a
// packet that cannot be built are reported in a message box, and the console
// stays usable. A command that waits for a reply gives up after
// kConsoleAnswerTicks.
//
// Register() makes the class known to the framework in every build. In a
// diagnostic build mainWindow's Open then makes the window (the implicit
// instance "ConsoleWindow.ConsoleWindow") and places it 40 pixels below
// itself, and each step's StartNext enables Startnext; a shipped build never
// opens it.

#include <cstdint>

#include "framework/ui/label.h"
#include "framework/ui/push_button.h"
#include "framework/ui/subclass.h"
#include "framework/ui/text_field.h"
#include "framework/ui/window.h"
#include "updater/bound.h"

namespace console {

// How long Query Device and Read wait for a reply: long enough for a device
// that is still erasing a large part.
inline constexpr int64_t kConsoleAnswerTicks = 30 * 60;

class ConsoleWindow : public framework::Window {
 public:
  static const framework::ClassRecord& class_record() {
    return framework::subclass_record<ConsoleWindow, framework::Window>("ConsoleWindow");
  }

  ConsoleWindow() = default;

  framework::PushButton& PushButton1() const { return control<framework::PushButton>("PushButton1"); }
  framework::PushButton& PushButton2() const { return control<framework::PushButton>("PushButton2"); }
  framework::TextField& Empfangen() const { return control<framework::TextField>("Empfangen"); }
  framework::TextField& Versendet() const { return control<framework::TextField>("Versendet"); }
  framework::Label& StaticText1() const { return control<framework::Label>("StaticText1"); }
  framework::Label& StaticText2() const { return control<framework::Label>("StaticText2"); }
  framework::TextField& iAddress() const { return control<framework::TextField>("iAddress"); }
  framework::Label& StaticText3() const { return control<framework::Label>("StaticText3"); }
  framework::PushButton& PushButton3() const { return control<framework::PushButton>("PushButton3"); }
  framework::TextField& output() const { return control<framework::TextField>("output"); }
  framework::PushButton& PushButton4() const { return control<framework::PushButton>("PushButton4"); }
  framework::PushButton& PushButton5() const { return control<framework::PushButton>("PushButton5"); }
  framework::PushButton& PushButton6() const { return control<framework::PushButton>("PushButton6"); }
  framework::PushButton& PushButton7() const { return control<framework::PushButton>("PushButton7"); }

  // Startnext: disables itself and arms mainWindow's Timer1 for one step.
  void PushButton1_Action(framework::PushButton& button);
  // Query Device.
  void PushButton2_Action(framework::PushButton& button);
  // Read.
  void PushButton3_Action(framework::PushButton& button);
  // Write.
  void PushButton4_Action(framework::PushButton& button);
  // Complete.
  void PushButton5_Action(framework::PushButton& button);
  // Startall: sets mainWindow's RunAll and arms Timer1.
  void PushButton6_Action(framework::PushButton& button);
  // Erase.
  void PushButton7_Action(framework::PushButton& button);

 protected:
  void Layout() override;
  void CreateControls() override;
  // Opens the debug log "Debug".
  void Event_Open() override;

 private:
  void _CreateControls0();
};

// Registers the window class with the framework. In a diagnostic build it
// also gives the console's entry points, for start-up to hand to mainWindow
// with the rest of what it bound: its Open then makes and places the console,
// and StartNext enables Startnext (the implicit instance is made again when
// the console has been closed). A shipped build gives none.
updater::ConsoleEntries Register();

}  // namespace console
