#pragma once
// The serving loop behind serve_virtual and InProcessDevice; not part of the
// contract.

#include "link.h"

#include <sim/device.h>

#include <mutex>

namespace sim::detail {

// Serves device over link until stop_fd is readable, the device leaves the
// bus, or serving ends with the connection; then writes the dump if
// configured. The mutex guards the device against other readers.
void serve(Device& device, std::mutex& mutex, Link& link, int stop_fd);

}  // namespace sim::detail
