#pragma once
// Runs the updater's App in a headless session over a test bundle and a fake
// device link, answering message boxes as they come unless a test answers them.

#include <memory>
#include <string>
#include <vector>

#include "bundle_fixture.h"
#include "debug_log_capture.h"
#include "fake_link.h"
#include "firmware.h"
#include "framework/ui/session.h"
#include "updater/bound.h"

namespace apptest {

// Who answers the message boxes: the run as they come, or the test.
enum class MessageBoxes { AnsweredAsTheyCome, LeftToTheTest };

class AppRun {
 public:
  explicit AppRun(std::vector<FakeDevice> devices = {}, MessageBoxes boxes = MessageBoxes::AnsweredAsTheyCome);
  ~AppRun();

  TestBundle& bundle() { return bundle_; }
  FakeLink& link() { return link_; }
  framework::headless::Session& session() { return *session_; }
  // What the application is made from at start(): fakes over the test bundle
  // and the link.
  updater::Bound& bound() { return bound_; }

  // Starts App with MenuBar1; returns when it first waits.
  void start();
  // Runs until the application has ended; false when it did not.
  bool run_to_end();
  const std::vector<std::string>& messages() const { return session_->message_boxes(); }
  bool shown(const std::string& window_class) const;
  // The debug log's lines since start().
  std::vector<std::string> debug_lines() const { return debug_log_.lines(); }

 private:
  testsupport::DebugLogCapture debug_log_;
  TestBundle bundle_;
  FakeLink link_;
  updater::Bound bound_;
  std::unique_ptr<framework::headless::Session> session_;
};

// The device search's lines of the run's debug log: each device's IDs, "Gerät
// gefunden." and the connect lines.
std::vector<std::string> SearchLines(const AppRun& run);

}  // namespace apptest
