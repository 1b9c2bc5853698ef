#include "app_session.h"

#include <algorithm>
#include <chrono>

#include "fake_members.h"
#include "framework/system.h"
#include "outside_stand_in.h"
#include "updater/app.h"
#include "updater/menubar1.h"

namespace apptest {

AppRun::AppRun(std::vector<FakeDevice> devices, MessageBoxes boxes) : link_(std::move(devices)) {
  framework::headless::Session::Options options;
  options.answer_message_boxes = boxes == MessageBoxes::AnsweredAsTheyCome;
  session_ = std::make_unique<framework::headless::Session>(options);
  bundle_.set_vastel(true);
  // Without a message box for the module's messages: the debug log has them.
  bound_.hid = hidtest::FakeMembers([](const framework::String& text) { framework::System::DebugLog(text); });
  bound_.outside = OutsideStandIns();
  bound_.device = link_.Path();
  bound_.DecodingFromHexQVX = hidtest::FakeDecodingFromHex;
}

AppRun::~AppRun() { session_.reset(); }

void AppRun::start() {
  debug_log_.clear();
  session_->start_application_from<updater::App, updater::MenuBar1>(bound_);
}

bool AppRun::run_to_end() {
  session_->run_until([] { return false; }, std::chrono::hours(1));
  return session_->finished();
}

bool AppRun::shown(const std::string& window_class) const {
  const std::string line = "window " + window_class + " shown";
  const auto& t = session_->transcript();
  return std::find(t.begin(), t.end(), line) != t.end();
}

std::vector<std::string> SearchLines(const AppRun& run) {
  std::vector<std::string> out;
  for (const std::string& line : run.debug_lines()) {
    if (line.rfind("VendorID: ", 0) == 0 || line == "Ger\xC3\xA4t gefunden." || line.rfind("Connect", 0) == 0) {
      out.push_back(line);
    }
  }
  return out;
}

}  // namespace apptest
