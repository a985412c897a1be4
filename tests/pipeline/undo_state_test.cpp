#include "pipeline/undo_state.h"

#include <gtest/gtest.h>

#include <thread>

#include "support/fake_clock.h"
#include "text/utf8.h"

namespace vyx {
namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;
using std::chrono::seconds;

class UndoStateTest : public ::testing::Test {
 protected:
  testing::FakeClock clock;
  undoState undo{clock.clock()};

  void saveGhbdtn() { undo.SaveForApp("ghbdtn", " ", "привет ", "com.app"); }
};

TEST_F(UndoStateTest, NeverSavedIsAbsent) {
  const UndoPeek p = undo.PeekWithApp();
  EXPECT_FALSE(p.ok);
  EXPECT_EQ(p.original, "");
}

TEST_F(UndoStateTest, SavedFixIsPeekedWhole) {
  saveGhbdtn();
  const UndoPeek p = undo.PeekWithApp();
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.original, "ghbdtn");
  EXPECT_EQ(p.tail, " ");
  EXPECT_EQ(p.replaced, "привет ");
  EXPECT_EQ(codePointCount(p.replaced), 7u);  // what a revert erases
  EXPECT_EQ(p.app, "com.app");
  EXPECT_TRUE(undo.PeekWithApp().ok);  // peeking changes nothing
}

TEST_F(UndoStateTest, FiveSecondsExactlyStillValidAnyLaterExpiredUntilTheNextSave) {
  saveGhbdtn();
  clock.advance(seconds(5));
  EXPECT_TRUE(undo.PeekWithApp().ok);
  clock.advance(nanoseconds(1));
  const UndoPeek late = undo.PeekWithApp();
  EXPECT_FALSE(late.ok);
  EXPECT_EQ(late.original, "");
  EXPECT_EQ(late.replaced, "");

  // A new save starts a fresh window.
  undo.SaveForApp("rfr", "", "как", "com.app");
  clock.advance(seconds(5));
  const UndoPeek p = undo.PeekWithApp();
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.original, "rfr");
  EXPECT_EQ(p.tail, "");
}

TEST_F(UndoStateTest, ResetWithinTheWindowWithdraws) {
  saveGhbdtn();
  clock.advance(milliseconds(100));
  undo.Reset();
  EXPECT_FALSE(undo.PeekWithApp().ok);
}

TEST_F(UndoStateTest, ConsumeClearsOnlyWhenAllThreeValuesMatch) {
  saveGhbdtn();
  undo.ConsumeIfMatches("ghbdtn", "привет ", "com.other");
  undo.ConsumeIfMatches("ghbdtn", "привет", "com.app");
  undo.ConsumeIfMatches("Ghbdtn", "привет ", "com.app");
  EXPECT_TRUE(undo.PeekWithApp().ok);
  undo.ConsumeIfMatches("ghbdtn", "привет ", "com.app");
  EXPECT_FALSE(undo.PeekWithApp().ok);
}

TEST_F(UndoStateTest, ConsumeOfAnOlderFixLeavesTheNewerRecord) {
  saveGhbdtn();
  const UndoPeek peeked = undo.PeekWithApp();
  undo.SaveForApp("vbh", " ", "мир ", "com.app");  // the worker finished another fix
  undo.ConsumeIfMatches(peeked.original, peeked.replaced, peeked.app);
  const UndoPeek p = undo.PeekWithApp();
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.original, "vbh");
}

TEST_F(UndoStateTest, SavingAnEmptyWordMakesNoRecord) {
  undo.SaveForApp("", " ", "привет ", "com.app");
  EXPECT_FALSE(undo.PeekWithApp().ok);
}

// A typed character, and any Backspace, withdraw the record: after the user
// has erased part of "привет " the screen no longer ends with all 7
// characters, and a revert erasing 7 would eat text the fix never typed.
TEST_F(UndoStateTest, WithdrawMakesCmdZRevertNothingUntilTheNextFix) {
  saveGhbdtn();
  undo.Withdraw();
  EXPECT_FALSE(undo.PeekWithApp().ok);
  // A stale consume with the old values cannot resurrect or clear anything new.
  undo.ConsumeIfMatches("ghbdtn", "привет ", "com.app");
  EXPECT_FALSE(undo.PeekWithApp().ok);

  undo.SaveForApp("ghbdtn!", "", "привет!", "com.app");
  const UndoPeek p = undo.PeekWithApp();
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.tail, "");  // the mark is already the word's own last character
}

TEST_F(UndoStateTest, ConcurrentSavesNeverTearARecord) {
  std::thread worker([&] {
    for (int i = 0; i < 2000; ++i) {
      if (i % 2 == 0) {
        undo.SaveForApp("ghbdtn", " ", "привет ", "com.a");
      } else {
        undo.SaveForApp("vbh", "", "мир", "com.b");
      }
    }
  });
  for (int i = 0; i < 2000; ++i) {
    const UndoPeek p = undo.PeekWithApp();
    if (!p.ok) continue;
    const bool first =
        p.original == "ghbdtn" && p.tail == " " && p.replaced == "привет " && p.app == "com.a";
    const bool second =
        p.original == "vbh" && p.tail.empty() && p.replaced == "мир" && p.app == "com.b";
    ASSERT_TRUE(first || second);
    if (i % 7 == 0) undo.Withdraw();
  }
  worker.join();
}

}  // namespace
}  // namespace vyx
