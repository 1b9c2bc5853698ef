#pragma once
// MenuBar1: the application's menu bar. File holds the quit item "Beenden";
// Edit the standard editing items. The application gives no item behaviour
// of its own; the quit item quits by itself.

#include "framework/ui/menu.h"
#include "framework/ui/subclass.h"

namespace updater {

class MenuBar1 : public framework::MenuBar {
 public:
  static const framework::ClassRecord& class_record() {
    return framework::subclass_record<MenuBar1, framework::MenuBar>("MenuBar1");
  }

  // Builds the File menu, then the Edit menu.
  MenuBar1();

  void Untitled0();
  void Untitled1();
};

}  // namespace updater
