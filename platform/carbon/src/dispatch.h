#pragma once
// Dispatch of the main event queue, shared by the queue and WaitNextEvent.

#include "carbon/carbon.h"

namespace carbon {
// Hands the event to the handlers of the application target.
OSStatus dispatch(EventRef event);
// Dispatches the events waiting now; events posted meanwhile wait for the next turn.
void dispatch_pending();
}  // namespace carbon
