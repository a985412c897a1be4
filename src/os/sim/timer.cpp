// Timers on the main loop's clock (the driven clock in tests); like the main
// run loop's default mode, they wait while a modal alert runs.
#include <algorithm>

#include "os/sim/desktop_impl.h"
#include "os/sim/ui_state.h"
#include "os/timer.h"

namespace vyx::os {

namespace {

// A Mac takes 0.1 ms for an interval of zero or less; a repeating timer
// without any interval would never let the loop move on.
constexpr double kMinimumInterval = 0.0001;

}  // namespace

Timer* timerScheduled(double interval, bool repeats, std::function<void()> fire) {
  auto& ui = sim::uiState("timerScheduled");
  Timer* timer = ui.make(ui.timers);
  timer->loopId = sim::Desktop::current()->impl().main.addTimer(
      std::max(interval, kMinimumInterval), repeats, [timer, repeats, fire = std::move(fire)] {
        if (!repeats) timer->valid = false;
        if (fire) fire();
      });
  return timer;
}

void timerInvalidate(Timer* timer) {
  auto& ui = sim::uiState("timerInvalidate");
  Timer& t = sim::checked(ui, timer, "timerInvalidate");
  // Invalidating twice, or after a one-shot fired, does nothing, as on a Mac.
  if (!t.valid) return;
  t.valid = false;
  sim::Desktop::current()->impl().main.cancelTimer(t.loopId);
}

}  // namespace vyx::os
