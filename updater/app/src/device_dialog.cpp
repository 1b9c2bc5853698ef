#include "updater/device_dialog.h"

#include "framework/application.h"
#include "framework/system.h"
#include "framework/text.h"
#include "framework/time.h"
#include "framework/ui/msgbox.h"
#include "protocol/module.h"
#include "updater/app.h"
#include "updater/pictures.h"

namespace updater {

using framework::Canvas;
using framework::Graphics;
using framework::Label;
using framework::PushButton;
using framework::Rect;
using framework::String;

void DeviceDialog::Layout() {
  _SetProperties({.Width = 400,
                  .Height = 222,
                  .MinWidth = 64,
                  .MinHeight = 64,
                  .MaxWidth = 32000,
                  .MaxHeight = 32000,
                  .Title = "",
                  .Frame = 0,
                  .Placement = 0,
                  .CloseButton = false,
                  .Resizeable = false,
                  .LiveResize = true,
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

void DeviceDialog::CreateControls() { _CreateControls0(); }

void DeviceDialog::_CreateControls0() {
  AddTimer("Timer1", {.Mode = framework::Timer::ModeMultiple, .Period = 1000},
           [this](framework::Timer&) { Timer1_Action(); });

  Label::Properties searching{.Left = 20, .Top = 14, .Width = 156, .Height = 20, .TabIndex = 1};
  searching.Text = "Searching USB device...";
  AddControl<Label>("StaticText2", searching);

  PushButton::Properties cancel{.Left = 288, .Top = 182, .Width = 92, .Height = 20, .TabIndex = 3};
  cancel.Caption = "Cancel";
  cancel.Default = false;
  cancel.Cancel = true;
  cancel.ButtonStyle = 0;
  AddControl<PushButton>("PushButton1", cancel).set_Action([this](PushButton&) { PushButton1_Action(); });

  Label::Properties version{
      .Left = 20, .Top = 182, .Width = 256, .Height = 20, .LockLeft = true, .LockBottom = true, .TabIndex = 4};
  AddControl<Label>("StaticText1", version).set_Open([this](Label& l) { StaticText1_Open(l); });

  AddControl<Canvas>("Canvas1", {.Left = 180, .Top = 14, .Width = 200, .Height = 60, .TabIndex = 5})
      .set_Paint([this](Canvas& c, Graphics& g, const std::vector<Rect>& areas) { Canvas1_Paint(c, g, areas); });
  AddControl<Canvas>("Canvas2", {.Left = 20, .Top = 42, .Width = 128, .Height = 128, .TabIndex = 6})
      .set_Paint([this](Canvas& c, Graphics& g, const std::vector<Rect>& areas) { Canvas2_Paint(c, g, areas); });

  AddTimer("NothingTimer", {.Mode = framework::Timer::ModeSingle, .Period = 10000},
           [this](framework::Timer&) { NothingTimer_Action(); });
}

void DeviceDialog::Event_Open() { set_Title(HID::datatitle); }

void DeviceDialog::Timer1_Action() { SearchDevice(); }

void DeviceDialog::PushButton1_Action() { framework::Quit(); }

void DeviceDialog::StaticText1_Open(Label& label) { label.set_Text(HID::dataversion); }

void DeviceDialog::Canvas1_Paint(Canvas&, Graphics& g, const std::vector<Rect>&) { PaintPicture(vastelBig(), g); }

void DeviceDialog::Canvas2_Paint(Canvas&, Graphics& g, const std::vector<Rect>&) { PaintPicture(TheApp().logo, g); }

void DeviceDialog::NothingTimer_Action() { framework::MsgBox("No device found."); }

void DeviceDialog::SearchDevice() {
#if defined(UPDATER_DEVICE_PATH_WIN)
  const DevicePath& path = TheApp().bound().device;
  std::shared_ptr<WinDeviceObject> device = FindDeviceWin();
  path.SetDeviceWin(device);
  if (!device) return;

  if (!device->Connect()) {
    path.SetDeviceWin(nullptr);
    device.reset();
    framework::MsgBox("Failed to connect to USB device.");
    framework::Quit();
  }

  framework::System::DebugLog("Connect OK.");
  Timer1().set_Mode(framework::Timer::ModeOff);
  // No InstallCallback: this path reads each answer with a time-out.
  HID::DeviceFound = true;
  NothingTimer().set_Mode(framework::Timer::ModeOff);
  Close();
#else
  const DevicePath& path = TheApp().bound().device;
  std::shared_ptr<DeviceObject> device = FindDeviceMac();
  path.SetDeviceMac(device);
  if (!device) return;

  device->Connect();
  if (device->Lasterror() != 0) {
    framework::System::DebugLog(String("Connect: ") + framework::Str(device->Lasterror()));
    path.SetDeviceMac(nullptr);
    device.reset();
    framework::MsgBox("Failed to connect to USB device. ");
    framework::Quit();
  }

  framework::System::DebugLog("Connect OK.");
  Timer1().set_Mode(framework::Timer::ModeOff);
  device->InstallCallback();
  HID::DeviceFound = true;
  NothingTimer().set_Mode(framework::Timer::ModeOff);
  Close();
#endif
}

namespace {

// Walks from the first device to the first with the package's IDs, one debug
// line per device visited; false when the walk ends without one.
bool WalkToPackageDevice(DeviceWalk& device, String (*number)(int32_t)) {
  if (!device.FindFirstDevice()) return false;
  for (bool first = true;; first = false) {
    framework::System::DebugLog(String("VendorID: ") + number(device.VendorID()) +
                                " ProductID: " + number(device.ProductID()));
    // The vendor ID is asked only once the product ID matched.
    if (device.ProductID() == HID::ProductID && device.VendorID() == HID::VendorID) {
      framework::System::DebugLog("Ger\xC3\xA4t gefunden.");
      return true;
    }
    if (!first) framework::Yield();
    if (!device.FindNextDevice()) return false;
  }
}

String HexNumber(int32_t value) { return framework::Hex(value); }
String DecimalNumber(int32_t value) { return framework::Str(value); }

}  // namespace

std::shared_ptr<DeviceObject> DeviceDialog::FindDeviceMac() {
  const DevicePath& path = TheApp().bound().device;
  if (!path.NewDevice) framework::throw_nil_object_exception();
  std::shared_ptr<DeviceObject> device = path.NewDevice();
  if (!device) framework::throw_nil_object_exception();
  return WalkToPackageDevice(*device, HexNumber) ? device : nullptr;
}

std::shared_ptr<WinDeviceObject> DeviceDialog::FindDeviceWin() {
  const DevicePath& path = TheApp().bound().device;
  if (!path.NewDeviceWin) framework::throw_nil_object_exception();
  std::shared_ptr<WinDeviceObject> device = path.NewDeviceWin();
  if (!device) framework::throw_nil_object_exception();
  return WalkToPackageDevice(*device, DecimalNumber) ? device : nullptr;
}

}  // namespace updater
