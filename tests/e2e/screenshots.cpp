// Pictures of what a user sees, from the Qt backend: the search dialog, the
// update window before Start, during programming, during verification and at
// the end. The update runs in process against a simulated bootloader, so that
// the pictures on the way are taken while the packets go out. Beside each
// shot's pictures, NAME.txt holds what the window model showed then: every
// window and control with its place, text and value.
//
//   updater_screenshots FOLDER     (QT_QPA_PLATFORM=offscreen without a display)
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "fake_members.h"
#include "framework/folderitem.h"
#include "framework/ui/desktop.h"
#include "framework/ui/headless.h"
#include "framework/ui/input.h"
#include "framework/ui/msgbox.h"
#include "framework/ui/push_button.h"
#include "framework/ui/qt.h"
#include "framework/ui/run.h"
#include "support/fake_link.h"
#include "support/outside_stand_in.h"
#include "updater/app.h"
#include "updater/main_window.h"
#include "updater/menubar1.h"

namespace {

// The pictures of every visible window, and the model beside them.
bool Shot(const std::filesystem::path& folder, const std::string& name) {
  if (!framework::ui::backend().screenshot(name)) return false;
  std::ofstream model(folder / (name + ".txt"));
  for (const std::string& line : framework::headless::describe_screen()) model << line << "\n";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: updater_screenshots FOLDER\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  setenv("FRAMEWORK_SCREENSHOTS", argv[1], 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);

  framework::set_executable_file(std::filesystem::path(UPDATER_STAGE_DIR) / "updater.app/Contents/MacOS/updater");
  apptest::FakeLink link({apptest::FakeDevice{.bootloader = sim::Config{}}});
  int program_packets = 0, read_packets = 0;
  link.set_on_send([&](const std::vector<uint8_t>& packet) {
    if (packet.empty()) return;
    if (packet[0] == 0x05 && ++program_packets == 256) Shot(folder, "3-programming");
    if (packet[0] == 0x07 && ++read_packets == 256) Shot(folder, "4-verifying");
  });
  updater::Bound bound;
  bound.hid = hidtest::FakeMembers([](const framework::String& text) { framework::MsgBox(text); });
  bound.outside = apptest::OutsideStandIns();
  bound.device = link.Path();

  std::unique_ptr<framework::ui::Backend> backend = framework::qt::load_backend();
  if (!backend) return 2;

  bool dialog = false, before = false;
  framework::ui::Startup s;
  s.make_application = [&] { return framework::ui::new_application<updater::App>(bound); };
  s.make_menu_bar = framework::ui::new_menu_bar<updater::MenuBar1>;
  s.idle_hook = [&](std::optional<framework::Duration>& timeout) {
    if (!timeout || *timeout > std::chrono::milliseconds(20)) timeout = std::chrono::milliseconds(20);
    for (const auto& box : framework::ui::open_message_boxes()) {
      if (box->Text().utf8().rfind("Update installed.", 0) == 0) Shot(folder, "5-end");
      framework::ui::user_dismiss(*box);
      return true;
    }
    if (!dialog && framework::ui::find_window("DeviceDialog")) {
      dialog = Shot(folder, "1-dialog");
      return false;
    }
    if (!before && framework::ui::find_window("mainWindow")) {
      before = Shot(folder, "2-before");
      if (auto* start = dynamic_cast<framework::PushButton*>(framework::ui::find_control("mainWindow.StartButton"))) {
        framework::ui::user_press(*start);
      }
      return true;
    }
    return false;
  };
  const int code = framework::ui::run_application(*backend, s);
  std::cout << "screenshots in " << argv[1] << "\n";
  return code;
}
