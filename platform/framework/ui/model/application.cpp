#include "framework/ui/application.h"

#include "framework/ui/backend.h"
#include "state.h"

namespace framework {

const ClassRecord& Application::class_record() {
  static ClassRecord& record = define_class("Application", &Object::class_record(), 0, native_type_of<Application>());
  return record;
}

void Application::set_MenuBar(Ref<framework::MenuBar> bar) {
  menu_bar_ = std::move(bar);
  if (ui::detail::state().application.get() == this) ui::backend().menu_bar_changed();
}

void Application::dispose() noexcept { menu_bar_ = nullptr; }

Application* app() { return ui::detail::state().application.get(); }

}  // namespace framework
