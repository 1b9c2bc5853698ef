#include "framework/time.h"

#include <time.h>

#include <chrono>

#include "framework/runloop.h"

namespace framework {
namespace {

constexpr auto kYieldInterval = std::chrono::milliseconds(4);
constexpr unsigned kCallsPerLook = 16;

}  // namespace

int64_t Ticks() {
  using TickDuration = std::chrono::duration<int64_t, std::ratio<1, 60>>;
  return std::chrono::duration_cast<TickDuration>(RunLoop::main().now().time_since_epoch()).count();
}

void Yield() {
  // Paced by real time even under a manual clock: the pace is about cost only.
  // Called for every byte of long loops, so the clock is read only every few
  // calls, and the coarse one, a few times cheaper and as fine as the pace.
  static unsigned calls = 0;
  if (++calls % kCallsPerLook != 0) return;
  static std::chrono::nanoseconds last{};
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
  const auto now = std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
  if (now - last < kYieldInterval) return;
  last = now;
  RunLoop::main().turn_now();
}

}  // namespace framework
