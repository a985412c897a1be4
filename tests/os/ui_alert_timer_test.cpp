// Modal alerts queued one at a time, and timers on the driven clock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "os/alert.h"
#include "os/handle.h"
#include "os/main_queue.h"
#include "os/sim/desktop.h"
#include "os/timer.h"

namespace vyx::os::sim {
namespace {

using std::chrono::milliseconds;

DesktopOptions drivenClock() {
  DesktopOptions opts;
  opts.drivenClock = true;
  return opts;
}

TEST(UiAlert, AlertsShowOneAtATimeWhileQueuedWorkAndTimersWait) {
  Desktop desktop(drivenClock());
  std::vector<int64_t> answers;  // main thread only
  std::atomic<int> laterBlocks{0};
  std::atomic<int> timerFired{0};
  const auto queueAlert = [&](const std::string& title, const std::vector<std::string>& buttons) {
    dispatchAsyncMain([&, title, buttons] {
      const Ref<Alert> alert = adopt(alertCreate());
      alertSetMessageText(alert.get(), title);
      alertSetInformativeText(alert.get(), title + " body");
      for (const auto& b : buttons) alertAddButton(alert.get(), b);
      answers.push_back(alertRunModal(alert.get()));
    });
  };
  desktop.onMain([&] { (void)timerScheduled(0.1, false, [&] { ++timerFired; }); });
  queueAlert("First", {"OK"});
  queueAlert("Second", {"OK", "Отмена"});
  queueAlert("Third", {});
  dispatchAsyncMain([&] { ++laterBlocks; });
  desktop.drainMainQueue();
  desktop.advance(std::chrono::seconds(1));

  const std::vector<std::string> okCancel{"OK", "Отмена"};
  const std::vector<std::string> ok{"OK"};
  struct Step {
    const char* shown;  // nullptr: no alert
    std::vector<std::string> buttons;
    int timerFired;  // the due timer waits for the alert, then runs before the next
    const char* press;
    bool pressed;
  };
  const Step steps[] = {
      {"First", ok, 0, "Отмена", false},  // a button it does not have
      {"First", ok, 0, "OK", true},      {"Second", okCancel, 1, "Отмена", true},
      {"Third", ok, 1, "OK", true},  // no button given: "OK"
      {nullptr, {}, 1, "OK", false},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.shown == nullptr ? "none" : step.shown);
    const auto shown = desktop.currentAlert();
    ASSERT_EQ(shown.has_value(), step.shown != nullptr);
    if (shown) {
      EXPECT_EQ(shown->messageText, step.shown);
      EXPECT_EQ(shown->informativeText, std::string(step.shown) + " body");
      EXPECT_EQ(shown->buttons, step.buttons);
      // Work queued behind the alerts waits for them all.
      EXPECT_EQ(laterBlocks.load(), 0);
      EXPECT_EQ(timerFired.load(), step.timerFired);
      EXPECT_EQ(desktop.liveAlerts(), 1);
    }
    EXPECT_EQ(desktop.dismissAlert(step.press), step.pressed);
  }
  EXPECT_EQ(laterBlocks.load(), 1);
  EXPECT_EQ(timerFired.load(), 1);
  EXPECT_EQ(desktop.liveAlerts(), 0);
  desktop.onMain([&] { EXPECT_EQ(answers, (std::vector<int64_t>{1000, 1001, 1000})); });
  const auto history = desktop.alertHistory();
  ASSERT_EQ(history.size(), 3U);
  EXPECT_EQ(history[0].messageText, "First");
  EXPECT_EQ(history[1].buttons, okCancel);
  EXPECT_EQ(history[2].messageText, "Third");
}

TEST(UiTimer, TimersFireOnTheDrivenClockUntilInvalidated) {
  struct Case {
    const char* name;
    double interval;
    bool repeats;
    std::vector<int> stepsMs;     // clock moves, one after the other
    std::vector<int> firedAfter;  // total firings after each move
    int invalidateAfterStep;      // -1: never
  };
  const Case cases[] = {
      {"repeating, on the beat", 0.28, true, {279, 1, 280, 280}, {0, 1, 2, 3}, -1},
      {"repeating, invalidated", 0.28, true, {280, 280, 1000}, {1, 2, 2}, 1},
      {"one-shot fires once", 0.5, false, {499, 1, 2000}, {0, 1, 1}, -1},
      {"one-shot, invalidated after firing", 0.5, false, {500, 500}, {1, 1}, 0},
      {"one-shot, invalidated before", 0.5, false, {100, 1000}, {0, 0}, 0},
      {"no interval takes the minimum", 0, true, {1, 1}, {1, 2}, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Desktop desktop(drivenClock());
    std::atomic<int> fired{0};
    Timer* timer = nullptr;
    desktop.onMain([&] { timer = timerScheduled(c.interval, c.repeats, [&] { ++fired; }); });
    for (size_t i = 0; i < c.stepsMs.size(); ++i) {
      desktop.advance(milliseconds(c.stepsMs[i]));
      EXPECT_EQ(fired.load(), c.firedAfter[i]) << "after step " << i;
      if (static_cast<int>(i) == c.invalidateAfterStep) {
        // Twice: a second invalidation does nothing, as on a Mac.
        desktop.onMain([&] {
          timerInvalidate(timer);
          timerInvalidate(timer);
        });
      }
    }
  }
}

}  // namespace
}  // namespace vyx::os::sim
