#include "dispatch.h"
#include "event.h"
#include "iokit/main_run_loop.h"

#include <deque>
#include <iterator>

struct OpaqueEventQueueRef {
  struct Entry {
    EventRef event;
    EventPriority priority;
  };
  std::deque<Entry> waiting;
  bool turn_requested = false;  // a dispatching turn is queued on the main run loop
};

namespace {

OpaqueEventQueueRef& main_queue() {
  static auto* queue = new OpaqueEventQueueRef;
  return *queue;
}

void request_turn(OpaqueEventQueueRef& queue) {
  if (queue.turn_requested) return;
  queue.turn_requested = true;
  iokit::main_run_loop().post([] {
    main_queue().turn_requested = false;
    carbon::dispatch_pending();
  });
}

}  // namespace

namespace carbon {

void dispatch_pending() {
  auto& queue = main_queue();
  std::size_t n = queue.waiting.size();
  while (n-- > 0 && !queue.waiting.empty()) {
    EventRef event = queue.waiting.front().event;
    queue.waiting.pop_front();
    event->queued = false;
    dispatch(event);
    ReleaseEvent(event);
  }
}

}  // namespace carbon

extern "C" {

EventQueueRef GetMainEventQueue(void) { return &main_queue(); }

OSStatus PostEventToQueue(EventQueueRef queue, EventRef event, EventPriority priority) {
  if (queue != &main_queue() || event == nullptr) return paramErr;
  if (event->queued) return eventAlreadyPostedErr;
  auto at = queue->waiting.end();
  while (at != queue->waiting.begin() && std::prev(at)->priority < priority) --at;
  queue->waiting.insert(at, {event, priority});
  event->queued = true;
  carbon::retain(event);
  request_turn(*queue);
  return noErr;
}

OSStatus FlushSpecificEventsFromQueue(EventQueueRef queue, EventComparatorUPP comparator, void* compareData) {
  if (queue != &main_queue() || comparator == nullptr) return paramErr;
  for (auto it = queue->waiting.begin(); it != queue->waiting.end();) {
    EventRef event = it->event;
    if (comparator(event, compareData)) {
      it = queue->waiting.erase(it);
      event->queued = false;
      ReleaseEvent(event);
    } else {
      ++it;
    }
  }
  return noErr;
}

}  // extern "C"
