#pragma once
// The headless backend: shows nothing, tells everything.
//
// It writes a transcript, one line per event, flushed as it goes:
//   window mainWindow shown            a window became visible
//   window DeviceDialog closed
//   label mainWindow.info "Done."      a label's new text
//   progress mainWindow.bar 100        a progress bar's new value
//   enabled mainWindow.StartButton False
//   msgbox "Update installed.\n\nPlease disconnect the device and turn it off."
//   screenshot NAME                    followed by one indented line per visible
//     window mainWindow "Title" 40,60 640x200 ...   window and control
// Texts are quoted with \" \\ \n \r \t and \xHH escapes. Message boxes are
// answered as they come unless told otherwise (a test answers them itself).

#include <iosfwd>
#include <set>
#include <string>
#include <vector>

#include "framework/ui/backend.h"

namespace framework::headless {

class HeadlessBackend : public ui::Backend {
 public:
  struct Options {
    std::ostream* transcript = nullptr;  // where the lines go besides memory; nullptr: nowhere
    bool answer_message_boxes = true;
  };

  HeadlessBackend() : HeadlessBackend(Options{}) {}
  explicit HeadlessBackend(Options options) : options_(options) {}

  void window_shown(Window& window) override;
  void window_hidden(Window& window) override;
  void window_closed(Window& window) override;
  void control_changed(Control& control, ControlChange what) override;
  void message_box_opened(MessageBox& box) override;
  bool screenshot(const std::string& name) override;

  // Every transcript line so far.
  const std::vector<std::string>& lines() const { return lines_; }
  // The text of every message box shown so far, in order.
  const std::vector<std::string>& message_boxes() const { return boxes_; }

 private:
  void line(std::string text);

  Options options_;
  std::vector<std::string> lines_;
  std::vector<std::string> boxes_;
  std::set<const Window*> visible_;
};

// A text quoted as the transcript writes it.
std::string quoted(const std::string& utf8);
// One line per visible window and per control in it, as a screenshot
// line of the transcript shows them (without the indent).
std::vector<std::string> describe_screen();

}  // namespace framework::headless
