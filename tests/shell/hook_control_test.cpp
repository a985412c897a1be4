#include "shell/hook_control.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include "support/eventually.h"
#include "support/log_capture.h"

namespace vyx {
namespace {

using testing::eventually;
using testing::LogCapture;

// The watcher's pause, driven by the test: each sleep waits until the test
// lets that one go, and the test can wait until the watcher sleeps.
class SteppedSleep final {
 public:
  void sleep(std::chrono::nanoseconds d) {
    std::unique_lock lock(mu_);
    durations_.push_back(d);
    const size_t mine = durations_.size();
    cv_.notify_all();
    cv_.wait(lock, [&] { return released_ >= mine; });
  }
  // Waits until the watcher has entered its n-th sleep.
  [[nodiscard]] bool awaitSleep(size_t n) {
    std::unique_lock lock(mu_);
    return cv_.wait_for(lock, std::chrono::seconds(20), [&] { return durations_.size() >= n; });
  }
  // Ends the current sleep.
  void wake() {
    const std::lock_guard lock(mu_);
    ++released_;
    cv_.notify_all();
  }
  [[nodiscard]] std::vector<std::chrono::nanoseconds> durations() {
    const std::lock_guard lock(mu_);
    return durations_;
  }

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  std::vector<std::chrono::nanoseconds> durations_;
  size_t released_ = 0;
};

// A fake bridge and face: scripted start results, a trust switch, and a
// record of what the tray and the onboarding window were told.
class HookRig final {
 public:
  HookRig() : control(started, mu, environment()) {}

  void scriptStarts(std::deque<Status> results) {
    const std::lock_guard lock(recordMu_);
    starts_ = std::move(results);
  }
  [[nodiscard]] std::vector<std::pair<int, int>> trayReports() {
    const std::lock_guard lock(recordMu_);
    return trayReports_;
  }

  std::atomic<int32_t> started{0};
  std::mutex mu;
  std::atomic<bool> trusted{false};
  std::atomic<int> startCalls{0};
  std::atomic<int> maxOverlap{0};
  std::atomic<int> readyShown{0};
  std::atomic<bool> failCheck{false};
  std::atomic<bool> healthy{true};
  std::atomic<int> stops{0};
  std::atomic<int> lost{0};
  std::atomic<int> watchersStarted{0};
  SteppedSleep sleeper;
  KeyboardHookControl control;

 private:
  HookEnvironment environment() {
    return HookEnvironment{
        .startHook = [this] { return start(); },
        .checkAccessibility =
            [this] {
              if (failCheck.load()) throw std::runtime_error("boom");
              return trusted.load();
            },
        .isTrayEnabled = [] { return true; },
        .updateTrayState =
            [this](int enabled, int hookActive) {
              const std::lock_guard lock(recordMu_);
              trayReports_.emplace_back(enabled, hookActive);
            },
        .showOnboardingReady = [this] { ++readyShown; },
        .sleep = [this](std::chrono::nanoseconds d) { sleeper.sleep(d); },
        .checkHookHealth = [this]() -> Status {
          if (healthy.load()) return {};
          return Error("the Accessibility permission was taken away");
        },
        .stopHook = [this] { ++stops; },
        .hookLost = [this] { ++lost; },
        .waitForAccessibility = [this] { ++watchersStarted; },
    };
  }

  Status start() {
    const int inside = ++inside_;
    int seen = maxOverlap.load();
    while (inside > seen && !maxOverlap.compare_exchange_weak(seen, inside)) {
    }
    ++startCalls;
    // Long enough for the other callers to pile up behind the lock.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    Status result;
    {
      const std::lock_guard lock(recordMu_);
      if (!starts_.empty()) {
        result = starts_.front();
        starts_.pop_front();
      }
    }
    --inside_;
    return result;
  }

  std::atomic<int> inside_{0};
  std::mutex recordMu_;
  std::deque<Status> starts_;
  std::vector<std::pair<int, int>> trayReports_;
};

TEST(HookControl, StartsAtMostOnceHoweverManyThreadsAsk) {
  HookRig rig;
  rig.scriptStarts({Error("failed to create event tap"), Status()});
  std::vector<std::thread> callers;
  callers.reserve(8);
  std::atomic<int> failures{0};
  for (int i = 0; i < 8; ++i) {
    callers.emplace_back([&] {
      if (!rig.control.ensure().ok()) ++failures;
    });
  }
  for (std::thread& t : callers) t.join();

  // The first attempt failed and its caller alone saw the error; the one
  // after it succeeded and every other caller found the hook running.
  EXPECT_EQ(failures.load(), 1);
  EXPECT_EQ(rig.startCalls.load(), 2);
  EXPECT_EQ(rig.maxOverlap.load(), 1);
  EXPECT_EQ(rig.started.load(), 1);
  EXPECT_EQ(rig.trayReports(), (std::vector<std::pair<int, int>>{{1, 0}, {1, 1}}));
  EXPECT_EQ(rig.readyShown.load(), 1);

  // Once running, a call returns at once and tells nobody.
  EXPECT_TRUE(rig.control.ensure().ok());
  EXPECT_EQ(rig.startCalls.load(), 2);
  EXPECT_EQ(rig.trayReports().size(), 2U);
}

TEST(HookControl, WatcherIsSilentUntilTrustedThenStartsTheHook) {
  const LogCapture log;
  HookRig rig;
  rig.scriptStarts({Error("failed to create event tap"), Status()});
  std::thread watcher([&] { rig.control.watchAccessibility(); });

  // Untrusted: it keeps checking and writes nothing.
  for (size_t n = 1; n <= 3; ++n) {
    ASSERT_TRUE(rig.sleeper.awaitSleep(n));
    rig.sleeper.wake();
  }
  ASSERT_TRUE(rig.sleeper.awaitSleep(4));
  EXPECT_EQ(log.text(), "");
  EXPECT_EQ(rig.startCalls.load(), 0);

  // Trusted, but the tap is refused once; the next check starts it.
  rig.trusted = true;
  rig.sleeper.wake();
  ASSERT_TRUE(rig.sleeper.awaitSleep(5));
  rig.sleeper.wake();
  watcher.join();

  EXPECT_EQ(log.messages(), (std::vector<std::string>{
                                "Keyboard hook still not ready: failed to create event tap",
                                "Accessibility granted — Vyx ready",
                            }));
  EXPECT_EQ(rig.trayReports(), (std::vector<std::pair<int, int>>{{1, 0}, {1, 1}}));
  EXPECT_EQ(rig.readyShown.load(), 1);
  for (const auto d : rig.sleeper.durations()) EXPECT_EQ(d, std::chrono::seconds(2));
}

TEST(HookControl, WatcherEndsSilentlyWhenTheMenuStartedTheHookFirst) {
  const LogCapture log;
  HookRig rig;
  rig.trusted = true;
  std::thread watcher([&] { rig.control.watchAccessibility(); });
  ASSERT_TRUE(rig.sleeper.awaitSleep(1));
  ASSERT_TRUE(rig.control.ensure().ok());  // the menu's permission check
  rig.sleeper.wake();
  watcher.join();

  EXPECT_EQ(log.text(), "");
  EXPECT_EQ(rig.startCalls.load(), 1);
}

TEST(HookControl, AFailureInsideTheWatcherEndsItWithOneLine) {
  const LogCapture log;
  HookRig rig;
  rig.failCheck = true;
  std::thread watcher([&] { rig.control.watchAccessibility(); });
  ASSERT_TRUE(rig.sleeper.awaitSleep(1));
  rig.sleeper.wake();
  watcher.join();

  EXPECT_EQ(log.messages(), std::vector<std::string>{"PANIC in accessibility watcher: boom"});
  EXPECT_EQ(rig.started.load(), 0);
  // The menu can still start the hook.
  rig.failCheck = false;
  EXPECT_TRUE(rig.control.ensure().ok());
}

// Taken away while the hook runs, the permission takes the hook out at the
// next look: stopped, reported as waiting, the pipeline told, one line, and
// the Accessibility watcher going again. The start it makes watches anew.
TEST(HookControl, APermissionTakenAwayStopsTheHookAndItsNextStartIsWatchedAgain) {
  const LogCapture log;
  HookRig rig;
  ASSERT_TRUE(rig.control.ensure().ok());
  rig.healthy = false;
  ASSERT_TRUE(eventually([&] { return rig.watchersStarted.load() == 1; }));
  EXPECT_EQ(rig.started.load(), 0);
  EXPECT_EQ(rig.stops.load(), 1);
  EXPECT_EQ(rig.lost.load(), 1);
  EXPECT_EQ(rig.trayReports(), (std::vector<std::pair<int, int>>{{1, 1}, {1, 0}}));
  EXPECT_EQ(log.messages(), std::vector<std::string>{
                                "Keyboard hook stopped: the Accessibility permission was taken "
                                "away — Vyx waiting for Accessibility permission"});

  rig.healthy = true;
  ASSERT_TRUE(rig.control.ensure().ok());
  EXPECT_EQ(rig.startCalls.load(), 2);
  rig.healthy = false;
  ASSERT_TRUE(eventually([&] { return rig.watchersStarted.load() == 2; }));
  EXPECT_EQ(rig.stops.load(), 2);
}

}  // namespace
}  // namespace vyx
