#include "framework/ui/msgbox.h"

#include <algorithm>

#include "framework/runloop.h"
#include "framework/system.h"
#include "framework/ui/backend.h"
#include "state.h"

namespace framework {

using ui::detail::state;

const ClassRecord& MessageBox::class_record() {
  static ClassRecord& record = define_class("MessageBox", &Object::class_record(), 0, native_type_of<MessageBox>());
  return record;
}

void MsgBox(const String& text) {
  if (!ui::has_backend()) {
    // Nobody could ever answer it: say it in the log instead of waiting for ever.
    System::DebugLog(text);
    return;
  }
  Ref<MessageBox> box = make<MessageBox>(text);
  state().boxes.push_back(box);
  struct Remove {
    MessageBox& box;
    ~Remove() {
      auto& boxes = state().boxes;
      auto it = std::find_if(boxes.begin(), boxes.end(), [this](const Ref<MessageBox>& b) { return b.get() == &box; });
      if (it == boxes.end()) return;  // the application is ending and forgot it already
      boxes.erase(it);
      ui::backend().message_box_closed(box);
    }
  } remove{*box};
  ui::backend().message_box_opened(*box);
  RunLoop::main().run_nested([&box] { return box->dismissed(); });
}

}  // namespace framework
