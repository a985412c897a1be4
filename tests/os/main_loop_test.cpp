// The main thread's loop: timers on the driven clock, and modal alerts
// holding queued work back. The order of queued work is the seam's contract
// (tests/os_contract).
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "os/main_queue.h"
#include "os/sim/desktop.h"
#include "os/sim/desktop_impl.h"

namespace vyx::os::sim {
namespace {

TEST(MainLoop, RepeatingTimerFollowsTheDrivenClockAndKeepsItsRhythm) {
  DesktopOptions opts;
  opts.drivenClock = true;
  Desktop desktop(opts);
  MainLoop& loop = desktop.impl().main;
  int fired = 0;
  uint64_t id = 0;
  desktop.onMain([&] { id = loop.addTimer(0.28, true, [&] { ++fired; }); });
  desktop.advance(std::chrono::milliseconds(279));
  desktop.onMain([&] { EXPECT_EQ(fired, 0); });
  desktop.advance(std::chrono::milliseconds(1));
  desktop.onMain([&] { EXPECT_EQ(fired, 1); });
  // A late timer fires once, not once per missed interval.
  desktop.advance(std::chrono::seconds(3));
  desktop.onMain([&] { EXPECT_EQ(fired, 2); });
  desktop.onMain([&] { loop.cancelTimer(id); });
  desktop.advance(std::chrono::seconds(3));
  desktop.onMain([&] { EXPECT_EQ(fired, 2); });
}

TEST(MainLoop, ModalLoopServesControlWorkButHoldsQueuedWorkAndTimers) {
  DesktopOptions opts;
  opts.drivenClock = true;
  Desktop desktop(opts);
  MainLoop& loop = desktop.impl().main;
  std::atomic<bool> dismissed{false};
  std::atomic<int> queuedRan{0};
  std::atomic<int> timerRan{0};
  desktop.onMain([&] { (void)loop.addTimer(0.1, false, [&] { ++timerRan; }); });
  dispatchAsyncMain([&] { loop.runModal([&] { return dismissed.load(); }); });
  dispatchAsyncMain([&] { ++queuedRan; });
  desktop.drainMainQueue();  // returns: the modal loop holds the rest back
  desktop.advance(std::chrono::seconds(1));
  bool modal = false;
  desktop.onMain([&] { modal = loop.inModal(); });
  EXPECT_TRUE(modal);
  EXPECT_EQ(queuedRan.load(), 0);
  EXPECT_EQ(timerRan.load(), 0);
  desktop.onMain([&] { dismissed = true; });
  desktop.drainMainQueue();
  EXPECT_EQ(queuedRan.load(), 1);
  EXPECT_EQ(timerRan.load(), 1);
}

}  // namespace
}  // namespace vyx::os::sim
