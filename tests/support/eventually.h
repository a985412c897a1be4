// Waiting for what another thread does without an event of its own to wait
// for.
#pragma once

#include <chrono>
#include <thread>

namespace vyx::testing {

// Polls until pred holds; false after ten seconds (a failure, never a
// measurement).
template <class Pred>
[[nodiscard]] bool eventually(Pred&& pred) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!pred()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace vyx::testing
