// The desktop's time: real monotonic time, or a clock that moves only when
// a test advances it.
//
// Threads: any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace vyx::os::sim {

class SimClock final {
 public:
  using time_point = std::chrono::steady_clock::time_point;

  explicit SimClock(bool driven) : driven_(driven) {}

  [[nodiscard]] bool driven() const { return driven_; }
  [[nodiscard]] time_point now() const {
    if (!driven_) return std::chrono::steady_clock::now();
    return time_point(std::chrono::nanoseconds(drivenNs_.load()));
  }
  // Driven clocks only; a real clock ignores it.
  void advance(std::chrono::nanoseconds by) {
    if (driven_) drivenNs_.fetch_add(by.count());
  }

 private:
  const bool driven_;
  std::atomic<int64_t> drivenNs_{1'000'000'000'000};
};

}  // namespace vyx::os::sim
