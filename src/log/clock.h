// Time as a parameter: whatever measures an interval takes a Clock, so tests
// can drive it; production passes the system's monotonic clock.
#pragma once

#include <chrono>
#include <functional>

namespace vyx {

using MonoTime = std::chrono::steady_clock::time_point;
using Clock = std::function<MonoTime()>;

[[nodiscard]] inline Clock systemClock() {
  return [] { return std::chrono::steady_clock::now(); };
}

}  // namespace vyx
