#pragma once
// A menu bar with one File menu holding the quit item "Beenden" (Cmd+Q).

#include "framework/ui/menu.h"
#include "framework/ui/subclass.h"

namespace ui_test {

class QuitMenuBar : public framework::MenuBar {
 public:
  static const framework::ClassRecord& class_record() {
    return framework::subclass_record<QuitMenuBar, framework::MenuBar>("QuitMenuBar");
  }
  QuitMenuBar() {
    framework::Ref<framework::MenuItem> file = framework::make<framework::MenuItem>();
    file->set_Name("FileMenu");
    file->set_Text("File");
    Append(file);
    framework::Ref<framework::MenuItem> quit = framework::make<framework::QuitMenuItem>();
    quit->set_Name("FileQuit");
    quit->set_Text("Beenden");
    quit->set_KeyboardShortcut("Cmd+Q");
    file->Append(quit);
  }
};

}  // namespace ui_test
