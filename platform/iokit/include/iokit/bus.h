#pragma once
// Which HID bus the IOKit stand-in walks and opens. Main thread only.

#include "hidbus/hidbus.h"

namespace iokit {

// The bus in use: the one set here, or hidbus::default_bus().
hidbus::Bus& bus();
// Uses bus from now on (nullptr: the default bus again). The bus must outlive
// every device opened through it.
void set_bus(hidbus::Bus* bus);

}  // namespace iokit
