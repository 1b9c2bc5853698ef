#pragma once
// IOKit HID and CoreFoundation, as far as the HID plug-in calls them, over
// the HID bus.
//
// - corefoundation.h: strings, numbers, dictionaries, UUIDs, the main run loop.
// - hid.h: the registry walk, device properties, the HID device interface.
// - main_run_loop.h (C++): the loop the host puts under the main run loop.
// - bus.h (C++): the HID bus that the registry shows.
//
// Everything is main-thread only. Callbacks run only during a turn of the
// main run loop, never inside a call made by the plug-in.

#include "iokit/corefoundation.h"
#include "iokit/hid.h"
