#pragma once
// Events that plug-ins raise on their instances, delivered to C++ handlers.
//
// An application class that extends a plug-in class owns an instance of it
// and connects a handler per event. When the plug-in asks GetEventInstance for
// the instance's handler of an event, the host hands out a trampoline of the
// event's C signature; called with the instance first, the trampoline finds
// the handler connected for that instance and event and runs it. Without a
// connected handler GetEventInstance gives nil, and the plug-in raises nothing.
//
// A handler's exception (Quit included) does not unwind through the plug-in:
// it waits in the current CallFrame and is thrown when the plug-in code has
// returned to the host (see call_frame.h). Outside any frame it goes on.
// Handlers end with their instance.

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/object.h"
#include "plugin_interface.h"
#include "pluginhost/call_frame.h"
#include "pluginhost/marshal.h"

namespace pluginhost {

namespace detail {

constexpr size_t kEventSlots = 16;  // events per class that can reach a handler

// The handler connected for (instance, event index), nil when none.
std::shared_ptr<void> event_handler(REALobject instance, size_t index);

void connect(framework::Object* instance, std::string_view event_name, const std::vector<ValueKind>& parameters,
             ValueKind result, std::shared_ptr<void> handler, REALproc (*trampoline)(size_t index));

template <typename R>
typename Marshal<R>::CType neutral() {
  if constexpr (!std::is_void_v<R>) return typename Marshal<R>::CType{};
}

template <size_t I, typename R, typename... A>
typename Marshal<R>::CType event_trampoline(REALobject self, typename Marshal<A>::CType... args) {
  std::shared_ptr<void> handler = event_handler(self, I);
  if (!handler) return neutral<R>();
  try {
    auto& f = *static_cast<std::function<R(A...)>*>(handler.get());
    if constexpr (std::is_void_v<R>) {
      f(Marshal<A>::borrow(args)...);
      return;
    } else {
      return Marshal<R>::give(f(Marshal<A>::borrow(args)...));
    }
  } catch (...) {
    if (!defer_pending(std::current_exception())) throw;
  }
  return neutral<R>();
}

template <typename R, typename... A, size_t... I>
REALproc trampoline_at(size_t index, std::index_sequence<I...>) {
  static const REALproc table[] = {reinterpret_cast<REALproc>(&event_trampoline<I, R, A...>)...};
  return index < sizeof...(I) ? table[index] : nullptr;
}

template <typename R, typename... A>
REALproc trampoline_for(size_t index) {
  return trampoline_at<R, A...>(index, std::make_index_sequence<kEventSlots>{});
}

template <typename Sig>
struct EventSignature;
template <typename R, typename... A>
struct EventSignature<R(A...)> {
  static std::vector<ValueKind> parameters() { return kinds_of<A...>(); }
  static constexpr ValueKind result = Marshal<R>::kind;
  static constexpr REALproc (*trampoline)(size_t) = &trampoline_for<R, A...>;
};

}  // namespace detail

// Connects `handler` to the event named `event_name` (the name in its
// declaration, case-insensitive) of `instance`, replacing an earlier handler.
// Sig is the event's signature without the instance, e.g.
// void(framework::String, int32_t) for "ReceivedData(data as string, size as
// integer)". Throws std::invalid_argument for a nil instance, an event its
// class does not have, or a Sig that does not match the declaration.
template <typename Sig>
void connect_event(framework::Object* instance, std::string_view event_name, std::function<Sig> handler) {
  using S = detail::EventSignature<Sig>;
  detail::connect(instance, event_name, S::parameters(), S::result,
                  std::make_shared<std::function<Sig>>(std::move(handler)), S::trampoline);
}

// Removes the handler of one event, or of every event, of `instance`.
void disconnect_event(framework::Object* instance, std::string_view event_name);
void disconnect_events(framework::Object* instance);

}  // namespace pluginhost
