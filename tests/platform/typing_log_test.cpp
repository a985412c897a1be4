// What the log tells of a person's typing on the simulated desktop: the
// words typed stay out of the platform's log, and a correction that waits
// in vain for the event tap says so without -verbose.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bridge_rig.h"
#include "log/metrics.h"
#include "support/log_capture.h"

namespace vyx::testing {
namespace {

struct MirroredLine {
  std::string message;
  LogPrivacy privacy;
};
// Written by whichever thread logs, read by the test.
std::mutex mirrorMu;
std::vector<MirroredLine> mirroredLines;
void recordMirror(std::string_view message, LogPrivacy privacy) {
  const std::lock_guard lock(mirrorMu);
  mirroredLines.push_back({std::string(message), privacy});
}
std::vector<MirroredLine> takeMirrored() {
  const std::lock_guard lock(mirrorMu);
  return std::exchange(mirroredLines, {});
}

TEST(TypingLog, VerboseLinesOfACorrectionAndItsUndoReachThePlatformLogAsPersonal) {
  LogCapture cap;
  const VerboseScope verbose;
  BridgeRig rig;
  setLogMirror(recordMirror);
  rig.desktop.typeAsPerson("привет, ", kQuick);
  ASSERT_TRUE(rig.idle());
  rig.desktop.press(key::kZ, os::kEventFlagMaskCommand);
  ASSERT_TRUE(rig.idle());
  setLogMirror(nullptr);
  std::vector<std::string> personal;
  std::vector<std::string> shown;
  for (MirroredLine& line : takeMirrored()) {
    (line.privacy == LogPrivacy::personal ? personal : shown).push_back(std::move(line.message));
  }
  EXPECT_EQ(shown, std::vector<std::string>{});
  // The fix, the erase-and-retype and the undo all quote the words.
  for (const char* start : {"Fix", "REPLACE START", "REPLACE TYPED", "Undo: reverting"}) {
    EXPECT_TRUE(std::ranges::any_of(personal, [&](const std::string& m) {
      return m.starts_with(start);
    })) << start;
  }
}

int missLines(const LogCapture& cap) {
  const std::vector<std::string> lines = cap.messages();
  return static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
    return line.starts_with("event tap did not see Vyx's own keys in 500 ms");
  }));
}

TEST(TypingLog, TheFirstOfARunOfCheckpointsTheTapNeverSeesIsLoggedAndEachIsCounted) {
  LogCapture cap;
  // A Mac that lets the program post, by all it can ask, while its posts
  // never reach the tap.
  AppOps ops = bridgeAppOps();
  ops.inputAccess = [] { return true; };
  BridgeRig rig(trustedDesktop(), std::move(ops));
  const auto typeWithPosts = [&](bool delivered, const char* meant) {
    rig.desktop.setEventAccess({.tapKeys = true, .post = delivered});
    rig.desktop.typeAsPerson(meant, kQuick);
    return rig.idle();
  };
  const uint64_t misses = metricCheckpointMisses.load();
  const uint64_t conversions = metricConversions.load();

  // Posts that never reach the tap: every correction waits for its
  // checkpoint in vain and is dropped.
  ASSERT_TRUE(typeWithPosts(false, "привет "));
  EXPECT_EQ(missLines(cap), 1);
  EXPECT_GE(metricCheckpointMisses.load() - misses, 2U);

  // A checkpoint seen ends the run...
  ASSERT_TRUE(typeWithPosts(true, "привет "));
  EXPECT_EQ(metricConversions.load() - conversions, 1U);
  ASSERT_EQ(rig.desktop.currentInputSource(), kRussian);

  // ... so the next miss is logged again.
  const uint64_t before = metricCheckpointMisses.load();
  ASSERT_TRUE(typeWithPosts(false, "hello "));
  EXPECT_EQ(missLines(cap), 2);
  EXPECT_GE(metricCheckpointMisses.load() - before, 1U);
  EXPECT_EQ(metricConversions.load() - conversions, 1U);
  rig.desktop.setEventAccess({});
}

}  // namespace
}  // namespace vyx::testing
