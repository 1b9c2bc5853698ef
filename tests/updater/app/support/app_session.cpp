#include "app_session.h"

#include <algorithm>
#include <chrono>
#include <random>

#include "framework/system.h"
#include "sim/intel_hex.h"
#include "updater/app.h"
#include "updater/outside.h"
#include "updater/menubar1.h"

namespace apptest {

AppRun::AppRun(std::vector<FakeDevice> devices) : link_(std::move(devices)) {
  framework::headless::Session::Options options;
  options.answer_message_boxes = true;
  session_ = std::make_unique<framework::headless::Session>(options);
  bundle_.set_vastel(true);
  InstallOutsideStandIns();
  link_.install();
}

AppRun::~AppRun() {
  session_.reset();
  updater::set_outside({});
}

void AppRun::start() {
  framework::System::clear_debug_log();
  session_->start_application<updater::App, updater::MenuBar1>();
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

std::string FirmwareFor(const sim::Config& config, unsigned seed) {
  std::mt19937 random(seed);
  const uint32_t bpa = config.bytes_per_address();
  std::vector<sim::HexBlock> blocks;
  for (const sim::Region& r : config.regions) {
    const uint32_t first = r.address * bpa;
    const uint32_t bytes = r.size * bpa;
    auto block = [&](uint32_t offset, uint32_t length) {
      length = std::min(length, bytes - std::min(bytes, offset));
      if (length == 0) return;
      sim::HexBlock b;
      b.address = first + offset;
      for (uint32_t i = 0; i < length; ++i) b.bytes.push_back(uint8_t(random()));
      blocks.push_back(std::move(b));
    };
    if (r.type == sim::kConfigRegion) {
      block(0, bytes);
    } else {
      block(0, 3000);
      block(bytes / 2 + 7, 1001);
      block(bytes - 61, 61);
    }
  }
  return sim::write_intel_hex(blocks);
}

}  // namespace apptest
