#pragma once
// Firmware texts for the simulated devices.

#include <cstdint>
#include <string>

#include "sim/config.h"

namespace apptest {

// A firmware text for the program regions of `config`: random bytes at the
// start, in the middle and at the end of every program region, and in the
// whole configuration region, which is never written.
std::string FirmwareFor(const sim::Config& config, unsigned seed);

// A firmware text of `length` random bytes from byte address `first` on.
std::string FirmwareAt(uint32_t first, uint32_t length, unsigned seed);

}  // namespace apptest
