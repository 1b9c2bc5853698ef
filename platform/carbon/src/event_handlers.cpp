#include "dispatch.h"
#include "event.h"

#include <algorithm>
#include <memory>
#include <vector>

struct OpaqueEventHandlerRef {
  EventHandlerUPP handler = nullptr;
  std::vector<EventTypeSpec> types;
  void* user_data = nullptr;
  bool removed = false;

  bool wants(EventRef event) const {
    return std::any_of(types.begin(), types.end(), [&](const EventTypeSpec& t) {
      return t.eventClass == event->event_class && t.eventKind == event->event_kind;
    });
  }
};

// The handlers that see one event, newest first, and how far the call has got.
struct OpaqueEventHandlerCallRef {
  std::vector<std::shared_ptr<OpaqueEventHandlerRef>> chain;
  std::size_t next = 0;
};

struct OpaqueEventTargetRef {
  std::vector<std::shared_ptr<OpaqueEventHandlerRef>> handlers;  // in order of installation
};

namespace {

OpaqueEventTargetRef& application_target() {
  static auto* target = new OpaqueEventTargetRef;
  return *target;
}

OSStatus run_chain(OpaqueEventHandlerCallRef& call, EventRef event) {
  while (call.next < call.chain.size()) {
    auto handler = call.chain[call.next++];
    if (handler->removed) continue;
    const OSStatus status = handler->handler(&call, event, handler->user_data);
    if (status != eventNotHandledErr) return status;
  }
  return eventNotHandledErr;
}

}  // namespace

namespace carbon {

OSStatus dispatch(EventRef event) {
  OpaqueEventHandlerCallRef call;
  const auto& handlers = application_target().handlers;
  for (auto it = handlers.rbegin(); it != handlers.rend(); ++it)
    if ((*it)->wants(event)) call.chain.push_back(*it);
  return run_chain(call, event);
}

}  // namespace carbon

extern "C" {

EventTargetRef GetApplicationEventTarget(void) { return &application_target(); }

OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, ItemCount numTypes,
                             const EventTypeSpec* list, void* userData, EventHandlerRef* outRef) {
  if (target != &application_target() || handler == nullptr || (numTypes > 0 && list == nullptr)) return paramErr;
  auto h = std::make_shared<OpaqueEventHandlerRef>();
  h->handler = handler;
  h->types.assign(list, list + numTypes);
  h->user_data = userData;
  target->handlers.push_back(h);
  if (outRef != nullptr) *outRef = h.get();
  return noErr;
}

OSStatus RemoveEventHandler(EventHandlerRef handler) {
  auto& handlers = application_target().handlers;
  auto it = std::find_if(handlers.begin(), handlers.end(), [&](const auto& h) { return h.get() == handler; });
  if (it == handlers.end()) return paramErr;
  (*it)->removed = true;
  handlers.erase(it);
  return noErr;
}

OSStatus CallNextEventHandler(EventHandlerCallRef callRef, EventRef event) {
  if (callRef == nullptr) return paramErr;
  return run_chain(*callRef, event);
}

}  // extern "C"
