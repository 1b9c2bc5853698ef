#pragma once
// A diagnostic application run in process with the service console
// registered, over one simulated bootloader.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "console/console_window.h"
#include "framework/ui/msgbox.h"
#include "sim/config.h"
#include "support/app_session.h"
#include "updater/main_window.h"

namespace consoletest {

// Two hex digits per byte, upper case, as the console shows them.
inline std::string HexOf(const std::vector<uint8_t>& bytes, size_t from = 0, size_t count = std::string::npos) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = from; i < bytes.size() && i - from < count; ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 0x0F];
  }
  return out;
}

struct ConsoleRun {
  std::unique_ptr<apptest::AppRun> run;
  std::string firmware;

  explicit ConsoleRun(const sim::Config& config = sim::preset(sim::Preset::family1),
                      apptest::MessageBoxes boxes = apptest::MessageBoxes::AnsweredAsTheyCome) {
    firmware = apptest::FirmwareFor(config, 5);
    run = std::make_unique<apptest::AppRun>(std::vector<apptest::FakeDevice>{apptest::FakeDevice{.bootloader = config}},
                                            boxes);
    run->bundle().set_package(apptest::DefaultFields(firmware));
    // The packet builders warn in message boxes, as in the bundle.
    run->bound().hid.ShowMessage = [](const framework::String& text) { framework::MsgBox(text); };
    run->bound().console = console::Register();
    run->start();
  }
  ~ConsoleRun() { run.reset(); }

  framework::headless::Session& session() { return run->session(); }
  bool open() {
    return session().run_until([&] { return bool(session().window("ConsoleWindow")); });
  }
  console::ConsoleWindow& console() {
    return dynamic_cast<console::ConsoleWindow&>(*session().window("ConsoleWindow"));
  }
  updater::mainWindow& main() { return dynamic_cast<updater::mainWindow&>(*session().window("mainWindow")); }
  bool press(const std::string& button) { return session().press("ConsoleWindow." + button); }
  // Presses a command button and lets its handler run to its end.
  bool command(const std::string& button) {
    if (!press(button)) return false;
    session().run_until([] { return false; }, std::chrono::minutes(2));
    return !session().finished();
  }
  const std::vector<std::string>& messages() { return run->messages(); }
  const std::vector<uint8_t>& last_sent() { return run->link().sent().back(); }
};

}  // namespace consoletest
