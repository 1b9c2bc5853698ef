#include "pluginhost/call_frame.h"

#include "framework/exceptions.h"
#include "framework/system.h"

namespace pluginhost {
namespace {

thread_local CallFrame* current = nullptr;

}  // namespace

CallFrame::CallFrame() : outer_(current) { current = this; }

CallFrame::~CallFrame() { current = outer_; }

void CallFrame::finish() {
  if (raised_) {
    framework::Ref<framework::Object> raised = std::move(raised_);
    deferred_ = nullptr;
    framework::raise_exception(raised);
  }
  if (deferred_) std::rethrow_exception(std::exchange(deferred_, nullptr));
}

void raise_pending(framework::Ref<framework::Object> exception) {
  if (!exception) return;
  if (current == nullptr) {
    framework::System::DebugLog("Plug-in exception raised outside a plug-in call: " + exception->object_class().name());
    return;
  }
  if (!current->raised_ && !current->deferred_) current->raised_ = std::move(exception);
}

bool defer_pending(std::exception_ptr exception) {
  if (current == nullptr) return false;
  if (!current->raised_ && !current->deferred_) current->deferred_ = std::move(exception);
  return true;
}

}  // namespace pluginhost
