#include "dispatch.h"
#include "iokit/main_run_loop.h"

extern "C" Boolean WaitNextEvent(EventMask, EventRecord* theEvent, UInt32, RgnHandle) {
  iokit::main_run_loop().run_one_turn();
  carbon::dispatch_pending();
  if (theEvent != nullptr) *theEvent = EventRecord{};
  return false;
}
