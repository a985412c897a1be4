#include "pipeline/double_shift.h"

#include <gtest/gtest.h>

#include "pipeline/key_codes.h"
#include "support/fake_clock.h"

namespace vyx {
namespace {

using std::chrono::milliseconds;

// Keys of the person's keyboard that the program has no name for.
constexpr uint16_t kKeyA = 0;
constexpr uint16_t kKeyCommand = 55;

// Drives the detector the way the event tap reports a Shift tap: a modifier
// change with the Shift flag set, then one with it clear.
class DoubleShiftTest : public ::testing::Test {
 protected:
  doubleShiftDetector detector;
  testing::FakeClock clock;

  bool press(uint16_t key = kKeyLeftShift, int64_t extra = 0) {
    return detector.Observe(key, 0, kFlagShift | extra, clock.now());
  }
  bool release(uint16_t key = kKeyLeftShift, int64_t extra = 0) {
    return detector.Observe(key, 0, extra, clock.now());
  }
  // A whole tap; the answer of its release.
  bool tap(uint16_t key = kKeyLeftShift) {
    EXPECT_FALSE(press(key));
    return release(key);
  }
  bool typeChar(uint16_t key, char32_t ch) { return detector.Observe(key, ch, 0, clock.now()); }
};

TEST_F(DoubleShiftTest, TwoTapsWithin400msComplete) {
  EXPECT_FALSE(tap());
  clock.advance(milliseconds(400));
  EXPECT_TRUE(tap());
}

TEST_F(DoubleShiftTest, ExactlyFiveHundredMsCountsAndFiveHundredOneStartsANewPair) {
  EXPECT_FALSE(tap());
  clock.advance(milliseconds(500));
  EXPECT_TRUE(tap());

  EXPECT_FALSE(tap());
  clock.advance(milliseconds(501));
  EXPECT_FALSE(tap());  // too slow, but it is now the first tap of a new pair
  clock.advance(milliseconds(200));
  EXPECT_TRUE(tap());
}

TEST_F(DoubleShiftTest, IntervalRunsFromReleaseToRelease) {
  EXPECT_FALSE(press());
  clock.advance(milliseconds(2000));  // a long hold before the first release
  EXPECT_FALSE(release());
  clock.advance(milliseconds(100));
  EXPECT_FALSE(press());
  clock.advance(milliseconds(400));  // second press early, release 500 ms after the first
  EXPECT_TRUE(release());
}

TEST_F(DoubleShiftTest, LeftThenRightShiftIsADoubleTap) {
  EXPECT_FALSE(tap(kKeyLeftShift));
  clock.advance(milliseconds(100));
  EXPECT_TRUE(tap(kKeyRightShift));
}

TEST_F(DoubleShiftTest, ThreeQuickTapsConvertOnce) {
  EXPECT_FALSE(tap());
  clock.advance(milliseconds(100));
  EXPECT_TRUE(tap());
  clock.advance(milliseconds(100));
  EXPECT_FALSE(tap());
  clock.advance(milliseconds(100));
  EXPECT_TRUE(tap());  // the fourth completes the next pair
}

TEST_F(DoubleShiftTest, ShiftWithCommandControlOrOptionResets) {
  for (const int64_t mod : {kFlagCommand, kFlagControl, kFlagOption}) {
    EXPECT_FALSE(tap());
    clock.advance(milliseconds(100));
    EXPECT_FALSE(press(kKeyLeftShift, mod));
    EXPECT_FALSE(release());  // the release of a dirty press is not a tap
    clock.advance(milliseconds(100));
    EXPECT_FALSE(tap());  // a first tap again, not a second
    clock.advance(milliseconds(600));
  }
}

TEST_F(DoubleShiftTest, CharacterOrOtherModifierBetweenTapsResets) {
  EXPECT_FALSE(tap());
  EXPECT_FALSE(typeChar(kKeyA, U'a'));  // a key code and a character
  EXPECT_FALSE(tap());
  clock.advance(milliseconds(50));
  EXPECT_TRUE(tap());

  EXPECT_FALSE(tap());
  EXPECT_FALSE(detector.Observe(kKeyCommand, 0, kFlagCommand, clock.now()));  // alone
  EXPECT_FALSE(tap());

  clock.advance(milliseconds(600));
  EXPECT_FALSE(tap());
  EXPECT_FALSE(detector.Observe(kKeyLeftShift, U'A', kFlagShift, clock.now()));  // capital typed
  EXPECT_FALSE(tap());
}

TEST_F(DoubleShiftTest, EventWithNoKeyCodeAndNoCharacterChangesNothing) {
  EXPECT_FALSE(tap());
  EXPECT_FALSE(detector.Observe(0, 0, 0, clock.now()));
  clock.advance(milliseconds(100));
  EXPECT_TRUE(tap());
}

TEST_F(DoubleShiftTest, ReleaseWithoutAPressChangesNothing) {
  EXPECT_FALSE(tap());
  clock.advance(milliseconds(100));
  EXPECT_FALSE(release());  // no press seen: not a tap, first tap kept
  clock.advance(milliseconds(100));
  EXPECT_TRUE(tap());
}

TEST_F(DoubleShiftTest, ReplayedReleaseWithAnEarlierTimeStartsANewPair) {
  const MonoTime early = clock.now();
  clock.advance(milliseconds(300));
  EXPECT_FALSE(tap());
  EXPECT_FALSE(detector.Observe(kKeyLeftShift, 0, kFlagShift, early));
  EXPECT_FALSE(detector.Observe(kKeyLeftShift, 0, 0, early));  // negative interval
  EXPECT_FALSE(detector.Observe(kKeyLeftShift, 0, kFlagShift, early + milliseconds(100)));
  EXPECT_TRUE(detector.Observe(kKeyLeftShift, 0, 0, early + milliseconds(100)));
}

}  // namespace
}  // namespace vyx
