#pragma once
// Application: the application object. The application's class derives from
// it (with its own class record, see subclass.h); run<A, M>() makes the one
// instance, attaches the menu bar and raises Event_Open once.

#include "framework/object.h"
#include "framework/ui/menu.h"

namespace framework {

class Application : public Object {
 public:
  static const ClassRecord& class_record();  // "Application"

  Application() = default;

  // Raised once, after the menu bar is attached and while the event loop runs.
  virtual void Event_Open() {}

  const Ref<framework::MenuBar>& MenuBar() const { return menu_bar_; }
  void set_MenuBar(Ref<framework::MenuBar> bar);

 protected:
  void dispose() noexcept override;

 private:
  Ref<framework::MenuBar> menu_bar_;
};

// The application object of the run in progress; nullptr outside one.
Application* app();

}  // namespace framework
