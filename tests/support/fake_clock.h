// A monotonic clock that moves only when a test says so. Safe to read from
// several threads while the test advances it.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>

#include "log/clock.h"

namespace vyx::testing {

class FakeClock final {
 public:
  FakeClock() : ns_(std::make_shared<std::atomic<int64_t>>(1'000'000'000'000)) {}

  [[nodiscard]] MonoTime now() const { return MonoTime(std::chrono::nanoseconds(ns_->load())); }
  void advance(std::chrono::nanoseconds d) { ns_->fetch_add(d.count()); }
  // A Clock that keeps reading this one, even after the FakeClock is moved.
  [[nodiscard]] Clock clock() const {
    auto ns = ns_;
    return [ns] { return MonoTime(std::chrono::nanoseconds(ns->load())); };
  }

 private:
  std::shared_ptr<std::atomic<int64_t>> ns_;
};

}  // namespace vyx::testing
