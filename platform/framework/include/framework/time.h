#pragma once
// Ticks and the background yield.

#include <cstdint>

namespace framework {

// Sixtieths of a second on the main loop's clock.
int64_t Ticks();

// The background yield for long loops on the main thread: returns after the
// framework's background tasks have run. Cheap enough to call once per byte:
// at most every few milliseconds it does one turn of the main loop (see
// RunLoop::turn_now, which does not wait); otherwise it counts the call, and
// every few calls reads a coarse clock.
void Yield();

}  // namespace framework
