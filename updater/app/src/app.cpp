#include "updater/app.h"

#include "framework/application.h"
#include "framework/exceptions.h"
#include "framework/system.h"
#include "framework/ui/msgbox.h"
#include "framework/ui/window.h"
#include "protocol/module.h"
#include "updater/device_dialog.h"
#include "updater/main_window.h"

namespace updater {

using framework::String;

void App::Event_Open() {
  framework::System::DebugLog("Start...");
  LoadData();
  if (HID::dataversion.empty() || HID::datafile.empty()) {
    framework::MsgBox("Application is not complete.");
    framework::Quit();
  }
  framework::ImplicitWindow<DeviceDialog>()->ShowModal();
  if (HID::DeviceFound) {
    framework::ImplicitWindow<mainWindow>()->Show();
  } else {
    framework::Quit();
  }
}

void App::dispose() noexcept {
  logo = nullptr;
  framework::Application::dispose();
}

App& TheApp() {
  App* app = dynamic_cast<App*>(framework::app());
  if (!app) framework::throw_nil_object_exception();
  return *app;
}

}  // namespace updater
