#pragma once
// The IOKit stand-in's main run loop put on the framework's loop: device
// channels become descriptor sources of it and the Carbon queue's turns become
// posted events, so device reports arrive while the framework dispatches, as
// on the original platform. The programs of the mac device path install it at
// start-up, before the device link is used.

namespace runloop_bridge {

// Repeated calls do nothing more.
void install();

}  // namespace runloop_bridge
