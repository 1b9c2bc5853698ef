#include "updater/menubar1.h"

namespace updater {

using framework::make;
using framework::MenuItem;
using framework::Ref;
using framework::String;

namespace {

Ref<MenuItem> NewItem(const char* name, const char* text) {
  Ref<MenuItem> item = make<MenuItem>();
  item->set_Name(name);
  item->set_AutoEnable(true);
  item->set_Text(text);
  return item;
}

}  // namespace

MenuBar1::MenuBar1() {
  Untitled0();
  Untitled1();
}

void MenuBar1::Untitled0() {
  Ref<MenuItem> file = NewItem("FileMenu", "File");
  file->set_KeyboardShortcut("");
  Append(file);

  Ref<MenuItem> quit = make<framework::QuitMenuItem>();
  quit->set_Name("FileQuit");
  quit->set_AutoEnable(true);
  quit->set_Text("Beenden");
  quit->set_KeyboardShortcut("Cmd+Q");
  Child("FileMenu")->Append(quit);
}

void MenuBar1::Untitled1() {
  Ref<MenuItem> edit = NewItem("EditMenu", "Edit");
  edit->set_KeyboardShortcut("");
  Append(edit);

  struct Row {
    const char* name;
    const char* text;
    const char* shortcut;  // nullptr: a separator, whose shortcut stays untouched
  };
  static const Row rows[] = {
      {"EditUndo", "Undo", "Cmd+Z"},   {"UntitledMenu1", "-", nullptr},          {"EditCut", "Cut", "Cmd+X"},
      {"EditCopy", "Copy", "Cmd+C"},   {"EditPaste", "Paste", "Cmd+V"},          {"EditClear", "Delete", ""},
      {"UntitledMenu0", "-", nullptr}, {"EditSelectAll", "Select all", "Cmd+A"},
  };
  for (const Row& row : rows) {
    Ref<MenuItem> item = NewItem(row.name, row.text);
    if (row.shortcut) item->set_KeyboardShortcut(row.shortcut);
    Child("EditMenu")->Append(item);
  }
}

}  // namespace updater
