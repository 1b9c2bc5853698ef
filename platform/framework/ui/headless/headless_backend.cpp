#include "framework/ui/headless.h"

#include <cstdio>
#include <ostream>

#include "framework/timer.h"
#include "framework/ui/canvas.h"
#include "framework/ui/desktop.h"
#include "framework/ui/input.h"
#include "framework/ui/label.h"
#include "framework/ui/msgbox.h"
#include "framework/ui/progress_bar.h"
#include "framework/ui/push_button.h"
#include "framework/ui/text_field.h"
#include "framework/ui/window.h"

namespace framework::headless {
namespace {

std::string yes_no(bool b) { return b ? "True" : "False"; }

std::string rect_text(const Rect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.width) + "x" +
         std::to_string(r.height);
}

std::string state_text(const Control& c) {
  std::string s = " " + rect_text(c.bounds());
  if (!c.Enabled()) s += " disabled";
  if (!c.Visible()) s += " hidden";
  return s;
}

std::string describe(const std::string& name, const Object& object) {
  if (auto* t = dynamic_cast<const Timer*>(&object))
    return "timer " + name + " mode " + std::to_string(t->Mode()) + " period " + std::to_string(t->Period());
  const auto& c = dynamic_cast<const Control&>(object);
  std::string path = c.path();
  if (auto* l = dynamic_cast<const Label*>(&c)) return "label " + path + " " + quoted(l->Text().utf8()) + state_text(c);
  if (auto* b = dynamic_cast<const PushButton*>(&c)) {
    std::string s = "button " + path + " " + quoted(b->Caption().utf8()) + state_text(c);
    if (b->Default()) s += " default";
    if (b->Cancel()) s += " cancel";
    return s;
  }
  if (auto* p = dynamic_cast<const ProgressBar*>(&c))
    return "progress " + path + " " + std::to_string(p->Value()) + " of " + std::to_string(p->Maximum()) +
           state_text(c);
  if (auto* f = dynamic_cast<const TextField*>(&c))
    return "field " + path + " " + quoted(f->Text().utf8()) + state_text(c);
  if (auto* v = dynamic_cast<const Canvas*>(&c)) {
    std::string s = "canvas " + path + state_text(c);
    for (const DrawCommand& d : v->display_list()) {
      if (d.kind == DrawCommand::Kind::EraseBackground) {
        s += " | erase";
      } else {
        s += " | picture " + std::to_string(d.picture->Width()) + "x" + std::to_string(d.picture->Height()) + " from " +
             rect_text(d.source) + " into " + rect_text(d.dest);
      }
    }
    return s;
  }
  return "control " + path + state_text(c);
}

}  // namespace

std::string quoted(const std::string& utf8) {
  std::string out = "\"";
  for (char ch : utf8) {
    auto u = static_cast<unsigned char>(ch);
    switch (ch) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (u < 0x20 || u == 0x7F) {
          char buf[5];
          std::snprintf(buf, sizeof buf, "\\x%02X", u);
          out += buf;
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

std::vector<std::string> describe_screen() {
  std::vector<std::string> out;
  for (const Ref<Window>& w : ui::open_windows()) {
    if (!w->Visible()) continue;
    std::string s = "window " + w->ClassName() + " " + quoted(w->Title().utf8()) + " " +
                    rect_text({w->Left(), w->Top(), w->Width(), w->Height()});
    if (w->modal()) s += " modal";
    out.push_back(s);
    for (const Window::Member& m : w->controls()) out.push_back(describe(m.name, *m.object));
  }
  for (const Ref<MessageBox>& b : ui::open_message_boxes()) out.push_back("msgbox " + quoted(b->Text().utf8()));
  return out;
}

void HeadlessBackend::line(std::string text) {
  if (options_.transcript) *options_.transcript << text << std::endl;
  lines_.push_back(std::move(text));
}

void HeadlessBackend::window_shown(Window& window) {
  if (visible_.insert(&window).second) line("window " + window.ClassName() + " shown");
}

void HeadlessBackend::window_hidden(Window& window) {
  if (visible_.erase(&window)) line("window " + window.ClassName() + " hidden");
}

void HeadlessBackend::window_closed(Window& window) {
  visible_.erase(&window);
  line("window " + window.ClassName() + " closed");
}

void HeadlessBackend::control_changed(Control& control, ControlChange what) {
  if (what == ControlChange::Enabled) {
    line("enabled " + control.path() + " " + yes_no(control.Enabled()));
  } else if (what == ControlChange::Text) {
    if (auto* l = dynamic_cast<Label*>(&control)) line("label " + control.path() + " " + quoted(l->Text().utf8()));
  } else if (what == ControlChange::Value) {
    if (auto* p = dynamic_cast<ProgressBar*>(&control))
      line("progress " + control.path() + " " + std::to_string(p->Value()));
  }
}

void HeadlessBackend::message_box_opened(MessageBox& box) {
  boxes_.push_back(box.Text().utf8());
  line("msgbox " + quoted(box.Text().utf8()));
  if (options_.answer_message_boxes) ui::user_dismiss(box);
}

bool HeadlessBackend::screenshot(const std::string& name) {
  line("screenshot " + name);
  for (std::string& s : describe_screen()) line("  " + s);
  return true;
}

}  // namespace framework::headless
