// Which HID bus the stand-in uses.

#include <atomic>

#include "win32/system.h"

namespace win32 {
namespace {
std::atomic<hidbus::Bus*> chosen{nullptr};
}

hidbus::Bus& bus() {
  hidbus::Bus* b = chosen.load();
  return b ? *b : hidbus::default_bus();
}

void set_bus(hidbus::Bus* b) { chosen.store(b); }

}  // namespace win32
