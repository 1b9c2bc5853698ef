#include "framework/ui/menu.h"

#include <cctype>

#include "framework/application.h"
#include "framework/exceptions.h"
#include "framework/ui/application.h"
#include "framework/ui/backend.h"

namespace framework {

const ClassRecord& MenuItem::class_record() {
  static ClassRecord& record = define_class("MenuItem", &Object::class_record(), 0, native_type_of<MenuItem>());
  return record;
}

const ClassRecord& QuitMenuItem::class_record() {
  static ClassRecord& record =
      define_class("QuitMenuItem", &MenuItem::class_record(), 0, native_type_of<QuitMenuItem>());
  return record;
}

const ClassRecord& MenuBar::class_record() {
  static ClassRecord& record = define_class("MenuBar", &MenuItem::class_record(), 0, native_type_of<MenuBar>());
  return record;
}

void MenuItem::changed() {
  // Only the attached bar is on screen; items still being put together are not.
  if (app() && app()->MenuBar()) ui::backend().menu_bar_changed();
}

void MenuItem::set_Text(const String& text) {
  text_ = text;
  changed();
}

void MenuItem::set_KeyboardShortcut(const String& shortcut) {
  shortcut_ = shortcut;
  changed();
}

void MenuItem::set_Enabled(bool enabled) {
  enabled_ = enabled;
  changed();
}

void MenuItem::Append(const Ref<MenuItem>& item) {
  if (!item) throw NilObjectException();
  children_.push_back(item);
  changed();
}

Ref<MenuItem> MenuItem::Item(int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return children_[static_cast<std::size_t>(index)];
}

Ref<MenuItem> MenuItem::Child(std::string_view name) const {
  for (const Ref<MenuItem>& c : children_) {
    if (c->Name().bytes() == name) return c;
  }
  return nullptr;
}

Ref<MenuItem> MenuItem::find(std::string_view name) {
  if (name_.bytes() == name) return Ref<MenuItem>(this);
  for (const Ref<MenuItem>& c : children_) {
    if (Ref<MenuItem> found = c->find(name)) return found;
  }
  return nullptr;
}

void MenuItem::choose() {
  if (!enabled_ || is_separator()) return;
  Ref<MenuItem> self(this);
  if (action_) action_(*this);
}

void QuitMenuItem::choose() {
  if (!Enabled()) return;
  MenuItem::choose();
  Quit();
}

std::string platform_shortcut(std::string_view shortcut) {
  std::string out;
  std::size_t start = 0;
  while (start <= shortcut.size()) {
    std::size_t plus = shortcut.find('+', start);
    std::string_view part =
        shortcut.substr(start, plus == std::string_view::npos ? std::string_view::npos : plus - start);
    out += part == "Cmd" ? std::string_view("Ctrl") : part;
    if (plus == std::string_view::npos) break;
    out += '+';
    start = plus + 1;
  }
  return out;
}

}  // namespace framework
