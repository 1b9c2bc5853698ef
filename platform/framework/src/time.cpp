#include "framework/time.h"

#include <chrono>

#include "framework/runloop.h"

namespace framework {
namespace {

constexpr auto kYieldInterval = std::chrono::milliseconds(4);

}  // namespace

int64_t Ticks() {
  using TickDuration = std::chrono::duration<int64_t, std::ratio<1, 60>>;
  return std::chrono::duration_cast<TickDuration>(RunLoop::main().now().time_since_epoch()).count();
}

void Yield() {
  // Paced by real time even under a manual clock: the pace is about cost only.
  static std::chrono::steady_clock::time_point last{};
  auto now = std::chrono::steady_clock::now();
  if (now - last < kYieldInterval) return;
  last = now;
  RunLoop::main().turn_now();
}

}  // namespace framework
