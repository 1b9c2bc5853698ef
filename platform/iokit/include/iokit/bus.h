#pragma once
// Which HID bus the IOKit stand-in walks and opens. Main thread only.

#include "hidbus/hidbus.h"

namespace iokit {

// The bus in use: the one set here, or hidbus::default_bus().
hidbus::Bus& bus();
// Uses bus from now on (nullptr: the default bus again). The bus must outlive
// every device opened through it.
void set_bus(hidbus::Bus* bus);

// Input reports that one device hands to its report callback in one turn of
// the main run loop; the rest wait in the bus's channel for the next turn, so
// that a device that sends without pause cannot hold the loop.
inline constexpr int kReportsPerTurn = 32;

}  // namespace iokit
