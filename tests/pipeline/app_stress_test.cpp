// Random keys, clicks, application switches and invalidations from the
// threads that make them on a Mac (the tap thread and the main thread), while
// the worker fixes words and replays held input.
#include <gtest/gtest.h>

#include <random>

#include "log/metrics.h"
#include "pipeline/app_harness.h"
#include "support/log_capture.h"

namespace vyx::testing {
namespace {

// A key code that no key of a Mac keyboard has, so that no rule for a key
// applies to the markers.
constexpr uint16_t kNoSuchKey = 200;

TEST(AppStress, EveryUserKeyArrivesOnceInOrderOrIsCountedDropped) {
  LogCapture cap;
  VerboseScope verbose;
  PipelineRig rig;
  rig.screen.typingDelay = std::chrono::microseconds(300);
  constexpr int kMarkers = 3000;
  std::atomic<bool> done{false};

  // The main thread: application switches and their invalidations.
  std::thread mainThread([&] {
    std::mt19937 rnd(7);
    while (!done.load()) {
      rig.screen.activate(rnd() % 2 == 0 ? "com.apple.TextEdit" : "com.other");
      rig.app->invalidateContext();
      std::this_thread::sleep_for(std::chrono::microseconds(rnd() % 3000));
    }
  });

  // The tap thread: each marker is a unique CJK letter (never corrected), mixed
  // with wrong-layout words that queue fixes, and with clicks.
  std::mt19937 rnd(42);
  uint64_t token = 1;
  for (int i = 0; i < kMarkers; ++i) {
    const char32_t marker = 0x4E00 + static_cast<char32_t>(i);
    rig.press(kNoSuchKey, marker);
    std::this_thread::sleep_for(std::chrono::microseconds(rnd() % 100));
    switch (rnd() % 40) {
      case 0:
        rig.type(" ghbdtn ");
        break;
      case 1:
        if (rig.app->onMouseEvent(token, kMouseLeftDown)) {
          ++token;
        }
        break;
      case 2:
      case 3:
      case 4:
        rig.type(" ");
        break;
      case 5:
      case 6:
        rig.type(" vbh ");
        break;
      default:
        break;
    }
  }
  done.store(true);
  mainThread.join();
  ASSERT_TRUE(rig.idle());
  rig.app->StopWorker(std::chrono::seconds(10));

  // Markers that reached an application, directly or posted by the replay.
  std::vector<char32_t> arrived;
  for (const auto& entry : rig.screen.arrivals()) {
    if (entry >= 0x4E00 && entry < 0x4E00 + kMarkers) arrived.push_back(entry);
  }
  int dropped = 0;
  for (const auto& m : cap.messages()) {
    dropped += m == "skip_reason: deferred-app-changed" ? 1 : 0;
  }
  // The run must have exercised fixes, held input and its replay.
  EXPECT_GT(rig.screen.count("replace"), 0);
  EXPECT_GT(rig.screen.count("post"), 0);
  // In order, never twice.
  for (size_t i = 1; i < arrived.size(); ++i) ASSERT_LT(arrived[i - 1], arrived[i]) << i;
  // Held markers dropped for an app switch are counted; non-marker keys
  // (spaces, word letters) can be dropped too, so the count is an upper bound.
  EXPECT_GE(static_cast<int>(arrived.size()) + dropped, kMarkers);
  EXPECT_LE(static_cast<int>(arrived.size()), kMarkers);
}

}  // namespace
}  // namespace vyx::testing
