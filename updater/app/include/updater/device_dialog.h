#pragma once
// DeviceDialog: the modal window that searches once a second for the HID
// device with the package's vendor and product ID, connects it as
// HID's DeviceMac (win variant: DeviceWin) and closes. After 10 s without success it says once that
// no device was found and goes on searching. Cancel quits.

#include <memory>
#include <vector>

#include "framework/timer.h"
#include "framework/ui/canvas.h"
#include "framework/ui/label.h"
#include "framework/ui/push_button.h"
#include "framework/ui/subclass.h"
#include "framework/ui/window.h"
#include "updater/device_path.h"

namespace updater {

class DeviceDialog : public framework::Window {
 public:
  static const framework::ClassRecord& class_record() {
    return framework::subclass_record<DeviceDialog, framework::Window>("DeviceDialog");
  }

  DeviceDialog() = default;

  framework::Timer& Timer1() const { return control<framework::Timer>("Timer1"); }
  framework::Label& StaticText2() const { return control<framework::Label>("StaticText2"); }
  framework::PushButton& PushButton1() const { return control<framework::PushButton>("PushButton1"); }
  framework::Label& StaticText1() const { return control<framework::Label>("StaticText1"); }
  framework::Canvas& Canvas1() const { return control<framework::Canvas>("Canvas1"); }
  framework::Canvas& Canvas2() const { return control<framework::Canvas>("Canvas2"); }
  framework::Timer& NothingTimer() const { return control<framework::Timer>("NothingTimer"); }

  void Timer1_Action();
  void PushButton1_Action();
  void StaticText1_Open(framework::Label& label);
  void Canvas1_Paint(framework::Canvas& canvas, framework::Graphics& g, const std::vector<framework::Rect>& areas);
  void Canvas2_Paint(framework::Canvas& canvas, framework::Graphics& g, const std::vector<framework::Rect>& areas);
  void NothingTimer_Action();

  // One search attempt.
  void SearchDevice();
  // A new device object positioned on the first device with the package's
  // IDs; nil when the walk finds none.
  std::shared_ptr<DeviceObject> FindDeviceMac();
  // The same walk on a new WinHIDQVX, its debug lines in decimal.
  std::shared_ptr<WinDeviceObject> FindDeviceWin();

 protected:
  void Layout() override;
  void CreateControls() override;
  void Event_Open() override;

 private:
  void _CreateControls0();
};

}  // namespace updater
