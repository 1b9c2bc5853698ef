#pragma once
// Menus: MenuItem, QuitMenuItem and MenuBar.
//
// A menu bar holds menus, a menu holds items; all are MenuItems. A "-" as text
// makes a separator. Keyboard shortcuts are texts such as "Cmd+Q"; Cmd stands
// for this platform's Ctrl (platform_shortcut). Choosing an item runs its
// Action handler; a QuitMenuItem quits by itself.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/object.h"
#include "framework/string.h"

namespace framework {

class MenuItem : public Object {
 public:
  static const ClassRecord& class_record();  // "MenuItem"

  MenuItem() = default;

  const String& Name() const { return name_; }
  void set_Name(const String& name) { name_ = name; }
  const String& Text() const { return text_; }
  void set_Text(const String& text);
  const String& KeyboardShortcut() const { return shortcut_; }
  void set_KeyboardShortcut(const String& shortcut);
  bool AutoEnable() const { return auto_enable_; }
  void set_AutoEnable(bool on) { auto_enable_ = on; }
  bool Enabled() const { return enabled_; }
  void set_Enabled(bool enabled);
  bool is_separator() const { return text_ == String("-"); }

  // Adds an item at the end; a nil item raises NilObjectException.
  void Append(const Ref<MenuItem>& item);
  int32_t Count() const { return static_cast<int32_t>(children_.size()); }
  // The item at index (from 0); nil outside.
  Ref<MenuItem> Item(int32_t index) const;
  // The first item of that name among the direct children; nil when none.
  Ref<MenuItem> Child(std::string_view name) const;
  // This item or the first below it (depth first) of that name; nil when none.
  Ref<MenuItem> find(std::string_view name);
  const std::vector<Ref<MenuItem>>& children() const { return children_; }

  void set_Action(std::function<void(MenuItem&)> handler) { action_ = std::move(handler); }
  // The user chose the item. Runs application code; a QuitMenuItem quits.
  virtual void choose();

 private:
  void changed();

  String name_;
  String text_;
  String shortcut_;
  bool auto_enable_ = true;
  bool enabled_ = true;
  std::vector<Ref<MenuItem>> children_;
  std::function<void(MenuItem&)> action_;
};

class QuitMenuItem : public MenuItem {
 public:
  static const ClassRecord& class_record();  // "QuitMenuItem"
  QuitMenuItem() = default;
  // Runs the Action handler if there is one, then quits; nothing while the
  // item is disabled.
  void choose() override;
};

class MenuBar : public MenuItem {
 public:
  static const ClassRecord& class_record();  // "MenuBar"
  MenuBar() = default;
};

// "Cmd+Q" as this platform writes it: "Ctrl+Q". Other texts are unchanged.
std::string platform_shortcut(std::string_view shortcut);

}  // namespace framework
