// Repeating and one-shot timers on the main run loop (default mode: they do
// not fire while a modal alert runs).
//
// Threads: main thread only.
#pragma once

#include <functional>

namespace vyx::os {

struct Timer;

// Fires first after interval seconds, then every interval when repeats.
// The timer stays alive until invalidated (a one-shot timer invalidates
// itself after firing).
[[nodiscard]] Timer* timerScheduled(double interval, bool repeats, std::function<void()> fire);
void timerInvalidate(Timer* timer);

}  // namespace vyx::os
