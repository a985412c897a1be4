// What the log tells of a person's typing on the simulated desktop: the
// words typed stay out of the platform's log.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bridge_rig.h"
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

}  // namespace
}  // namespace vyx::testing
