// Recognises Shift tapped twice quickly with nothing in between, from the
// stream of key-down and modifier-change events.
//
// Threads: no lock of its own. Only the key path feeds it, always under the
// App's key-handling lock (on the event-tap thread, or on the worker while it
// replays held keys), so calls never overlap.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "log/clock.h"

namespace vyx {

class doubleShiftDetector final {
 public:
  // Longest time from the first tap's release to the second's that still
  // makes a double tap; exactly this long counts.
  static constexpr std::chrono::milliseconds kMaxInterval{500};

  // True on the release that completes a double tap. ch is the event's first
  // character (0 for a modifier change); now is the event's time, which for a
  // replayed key is when it was held, so it may run backwards.
  [[nodiscard]] bool Observe(uint16_t keycode, char32_t ch, int64_t flags, MonoTime now);

 private:
  void reset();

  bool shiftDown = false;           // a clean Shift press not yet released
  std::optional<MonoTime> lastTap;  // release of a pending first tap
};

}  // namespace vyx
