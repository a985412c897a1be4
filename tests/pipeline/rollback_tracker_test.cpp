#include "pipeline/rollback_tracker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "support/fake_clock.h"
#include "temp_store.h"
#include "text/utf8.h"

namespace vyx {
namespace {

using std::chrono::hours;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;
using std::chrono::seconds;

constexpr auto kSevenDays = hours(7 * 24);

class RollbackTrackerTest : public ::testing::Test {
 protected:
  testing::FakeClock clock;
  testing::TempStore temp;
  RollbackTracker tracker{temp.store(), clock.clock()};

  // The worker typed "привет " (7 code points) for "ghbdtn".
  void convert(const std::string& original = "ghbdtn", const std::string& app = "com.app") {
    tracker.OnConversion(original, convertedFor(original) + " ", app);
  }
  static std::string convertedFor(const std::string& original) {
    // Only the length matters to the tracker; one Cyrillic letter per letter.
    std::string out;
    for (size_t i = 0; i < codePointCount(original); ++i) out += "ж";
    return out;
  }
  void backspaces(int n) {
    for (int i = 0; i < n; ++i) EXPECT_FALSE(tracker.ObserveKey(rollbackKeyBackspace, 0).retyped);
  }
  // Types the text; every key but the last must answer the empty result.
  RetypeResult type(const std::u32string& text) {
    RetypeResult last;
    for (size_t i = 0; i < text.size(); ++i) {
      last = tracker.ObserveKey(rollbackKeyChar, text[i]);
      if (i + 1 < text.size()) {
        EXPECT_FALSE(last.retyped);
      }
    }
    return last;
  }
  // A whole erase-and-retype of a correction of `original` in `app`.
  RetypeResult eraseAndRetype(const std::string& original, const std::string& app = "com.app") {
    convert(original, app);
    backspaces(static_cast<int>(codePointCount(original)) + 1);
    return type(decodeUtf8(original));
  }
  bool learnedInStore(const std::string& app, const std::string& word) {
    for (const Exception& e : temp.store()->List()) {
      if (e.App == app && e.Word == word) return true;
    }
    return false;
  }
};

TEST_F(RollbackTrackerTest, ErasingEndsWhenTheWholeCorrectionIsGone) {
  convert();
  backspaces(6);
  EXPECT_EQ(tracker.Phase(), rollbackErasing);
  backspaces(1);  // the boundary space is part of what was typed
  EXPECT_EQ(tracker.Phase(), rollbackRetyping);
}

TEST_F(RollbackTrackerTest, CharacterTypedBeforeTheCorrectionIsErasedEndsTheWatch) {
  convert();
  backspaces(5);
  EXPECT_FALSE(tracker.ObserveKey(rollbackKeyChar, U'g').retyped);
  EXPECT_EQ(tracker.Phase(), rollbackIdle);
  backspaces(2);
  EXPECT_FALSE(type(U"ghbdtn").retyped);
}

TEST_F(RollbackTrackerTest, BackspacesBeyondTheCorrectionAreIgnored) {
  convert();
  backspaces(9);
  EXPECT_EQ(tracker.Phase(), rollbackRetyping);
  const RetypeResult r = type(U"ghbdtn");
  EXPECT_TRUE(r.retyped);
  EXPECT_FALSE(r.learned);  // the first retype is only a candidate
  EXPECT_EQ(r.word, "ghbdtn");
  EXPECT_EQ(r.app, "com.app");
  EXPECT_EQ(tracker.Phase(), rollbackIdle);
  EXPECT_EQ(tracker.CandidateCount(), 1u);
}

TEST_F(RollbackTrackerTest, LeavingThePrefixOrEditingTheRetypeEndsTheWatch) {
  convert();
  backspaces(7);
  EXPECT_FALSE(type(U"G").retyped);  // other case: not a prefix any more
  EXPECT_EQ(tracker.Phase(), rollbackIdle);

  convert();
  backspaces(7);
  EXPECT_FALSE(type(U"ghb").retyped);
  backspaces(1);  // an edit of the retype
  EXPECT_EQ(tracker.Phase(), rollbackIdle);

  convert();
  backspaces(7);
  EXPECT_FALSE(tracker.ObserveKey(rollbackKeyEnter, 0).retyped);
  EXPECT_EQ(tracker.Phase(), rollbackIdle);

  convert();
  backspaces(7);
  EXPECT_TRUE(type(U"ghbdtn").retyped);
  EXPECT_FALSE(type(U" ").retyped);  // the watch ended with the retype
  EXPECT_EQ(tracker.CandidateCount(), 1u);
}

TEST_F(RollbackTrackerTest, MultiByteRetypeIsComparedWhole) {
  tracker.OnConversion("руддщ", "hello ", "com.app");
  backspaces(6);
  const RetypeResult r = type(U"руддщ");
  EXPECT_TRUE(r.retyped);
  EXPECT_EQ(r.word, "руддщ");
}

TEST_F(RollbackTrackerTest, WatchEndsOnlyStrictlyAfterTenSeconds) {
  convert();
  backspaces(7);
  EXPECT_FALSE(type(U"ghbdt").retyped);
  clock.advance(seconds(10));
  EXPECT_TRUE(type(U"n").retyped);

  convert();
  backspaces(7);
  EXPECT_FALSE(type(U"ghbdt").retyped);
  clock.advance(seconds(10) + nanoseconds(1));
  EXPECT_FALSE(type(U"n").retyped);
  EXPECT_EQ(tracker.Phase(), rollbackIdle);
}

TEST_F(RollbackTrackerTest, FirstKeyAfterExpiryEndsTheWatchWhateverItIs) {
  convert();
  clock.advance(seconds(11));
  backspaces(1);
  EXPECT_EQ(tracker.Phase(), rollbackIdle);
}

TEST_F(RollbackTrackerTest, SecondRetypeExactlySevenDaysLaterLearns) {
  EXPECT_FALSE(eraseAndRetype("ghbdtn").learned);
  clock.advance(kSevenDays);
  const RetypeResult r = eraseAndRetype("ghbdtn");
  EXPECT_TRUE(r.retyped);
  EXPECT_TRUE(r.learned);
  EXPECT_TRUE(learnedInStore("com.app", "ghbdtn"));
  EXPECT_EQ(tracker.CandidateCount(), 0u);
}

TEST_F(RollbackTrackerTest, SecondRetypeLaterThanSevenDaysIsANewCandidate) {
  EXPECT_FALSE(eraseAndRetype("ghbdtn").learned);
  clock.advance(kSevenDays + nanoseconds(1));
  EXPECT_FALSE(eraseAndRetype("ghbdtn").learned);
  EXPECT_EQ(tracker.CandidateCount(), 1u);
  clock.advance(hours(1));
  EXPECT_TRUE(eraseAndRetype("ghbdtn").learned);  // counted from the renewed candidate
}

TEST_F(RollbackTrackerTest, TwoApplicationsAreTwoCandidates) {
  EXPECT_FALSE(eraseAndRetype("ghbdtn", "com.one").learned);
  EXPECT_FALSE(eraseAndRetype("ghbdtn", "com.two").learned);
  EXPECT_EQ(tracker.CandidateCount(), 2u);
  EXPECT_TRUE(temp.store()->List().empty());
}

TEST_F(RollbackTrackerTest, CandidateKeysIgnoreCaseAndTheWordIsLearnedAsLastTyped) {
  EXPECT_FALSE(eraseAndRetype("GHBDTN", "Com.App").learned);
  EXPECT_TRUE(eraseAndRetype("ghbdtn", "com.app").learned);
  EXPECT_TRUE(learnedInStore("com.app", "ghbdtn"));
  // Cyrillic folds too.
  EXPECT_FALSE(eraseAndRetype("ПРИВЕТ").learned);
  EXPECT_TRUE(eraseAndRetype("привет").learned);
}

TEST_F(RollbackTrackerTest, EmptyApplicationIsReportedButRecordsNothing) {
  const RetypeResult r = eraseAndRetype("ghbdtn", "");
  EXPECT_TRUE(r.retyped);
  EXPECT_FALSE(r.learned);
  EXPECT_EQ(tracker.CandidateCount(), 0u);
  EXPECT_FALSE(eraseAndRetype("ghbdtn", "").learned);
}

TEST_F(RollbackTrackerTest, ResetStopsTheWatchButKeepsCandidates) {
  EXPECT_FALSE(eraseAndRetype("ghbdtn").learned);
  convert();
  backspaces(7);
  EXPECT_FALSE(type(U"ghb").retyped);
  tracker.Reset();
  EXPECT_EQ(tracker.Phase(), rollbackIdle);
  EXPECT_FALSE(type(U"dtn").retyped);
  EXPECT_TRUE(eraseAndRetype("ghbdtn").learned);
}

TEST_F(RollbackTrackerTest, NewConversionReplacesARunningWatch) {
  convert("ghbdtn");
  backspaces(7);
  convert("vbh");
  EXPECT_EQ(tracker.Phase(), rollbackErasing);
  backspaces(4);
  EXPECT_FALSE(type(U"ghb").retyped);
  EXPECT_EQ(tracker.Phase(), rollbackIdle);
}

TEST_F(RollbackTrackerTest, A513thCandidatePrunesTheOneFirstSeenEarliest) {
  const auto word = [](int i) { return "w" + std::to_string(i); };
  for (int i = 0; i < 512; ++i) {
    ASSERT_FALSE(eraseAndRetype(word(i)).learned);
    clock.advance(milliseconds(1));
  }
  EXPECT_EQ(tracker.CandidateCount(), 512u);
  ASSERT_FALSE(eraseAndRetype(word(512)).learned);
  EXPECT_EQ(tracker.CandidateCount(), 512u);
  EXPECT_TRUE(eraseAndRetype(word(1)).learned);   // still a candidate
  EXPECT_FALSE(eraseAndRetype(word(0)).learned);  // pruned: a new candidate
}

TEST(RollbackTrackerNoStore, SecondRetypeIsReportedAndForgottenWithoutLearning) {
  testing::FakeClock clock;
  RollbackTracker tracker(nullptr, clock.clock());
  for (int round = 0; round < 2; ++round) {
    tracker.OnConversion("ghbdtn", "привет ", "com.app");
    for (int i = 0; i < 7; ++i) (void)tracker.ObserveKey(rollbackKeyBackspace, 0);
    RetypeResult r;
    for (const char32_t c : std::u32string_view(U"ghbdtn"))
      r = tracker.ObserveKey(rollbackKeyChar, c);
    EXPECT_TRUE(r.retyped);
    EXPECT_FALSE(r.learned);
  }
  EXPECT_EQ(tracker.CandidateCount(), 0u);  // the candidate was used up
}

// The tracker holds its lock while it adds to the store; store lookups and
// tracker queries from another thread meanwhile must neither deadlock nor race.
TEST_F(RollbackTrackerTest, LearningWhileAnotherThreadUsesTheStoreAndTracker) {
  std::atomic<bool> done{false};
  std::thread other([&] {
    while (!done.load()) {
      (void)temp.store()->IsException("com.app", "ghbdtn");
      (void)tracker.CandidateCount();
    }
  });
  int learned = 0;
  for (int i = 0; i < 200; ++i) learned += eraseAndRetype("ghbdtn").learned ? 1 : 0;
  done.store(true);
  other.join();
  EXPECT_EQ(learned, 100);  // every second retype learns
  EXPECT_TRUE(learnedInStore("com.app", "ghbdtn"));
}

}  // namespace
}  // namespace vyx
