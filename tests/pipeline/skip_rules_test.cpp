#include "pipeline/skip_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "detect/detector.h"
#include "support/log_capture.h"
#include "temp_store.h"

namespace vyx {
namespace {

class SkipRulesTest : public ::testing::Test {
 protected:
  Config cfg;
  std::string frontApp = "com.apple.TextEdit";
  int frontmostCalls = 0;
  std::function<std::string()> frontmost = [this] {
    ++frontmostCalls;
    return frontApp;
  };

  SkipDecision decide(std::string_view word, ExceptionStore* store = nullptr) {
    return shouldSkipWordReasonWithFrontmost(cfg, store, word, frontmost);
  }
  void expectSkipped(std::string_view word, const std::string& reason, const std::string& app) {
    const int callsBefore = frontmostCalls;
    const SkipDecision d = decide(word);
    EXPECT_TRUE(d.skip) << word;
    EXPECT_EQ(d.reason, reason) << word;
    EXPECT_EQ(d.app, app) << word;
    // The application is fetched only once the word passed the text rules.
    EXPECT_EQ(frontmostCalls - callsBefore, app.empty() ? 0 : 1) << word;
  }
  void expectPassed(std::string_view word) {
    const int callsBefore = frontmostCalls;
    const SkipDecision d = decide(word);
    EXPECT_FALSE(d.skip) << word;
    EXPECT_EQ(d.reason, "") << word;
    EXPECT_EQ(d.app, frontApp) << word;
    EXPECT_EQ(frontmostCalls - callsBefore, 1) << word;
  }
};

TEST_F(SkipRulesTest, MinimumLengthSparesTheOneLetterRussianWordsOnly) {
  expectPassed("f");  // "а" on the other layout
  expectPassed("z");
  expectSkipped("F", "min-length", "");  // the exemption is case-sensitive
  expectSkipped("x", "min-length", "");
  expectSkipped("я", "min-length", "");
  expectSkipped("", "min-length", "");
  expectPassed("ab");
}

TEST_F(SkipRulesTest, MinimumLengthCountsCodePointsNotBytes) {
  cfg.MinWordLength = 4;
  expectSkipped("мир", "min-length", "");  // 6 bytes, 3 letters
  expectPassed("мира");
}

TEST_F(SkipRulesTest, NoRunLongerThanAnyWordReachesTheDetector) {
  std::string cyrillic;
  for (size_t i = 0; i < kMaxWordLength; ++i) cyrillic += "я";
  expectPassed(cyrillic);  // counted in code points, not bytes
  expectSkipped(cyrillic + "я", "too-long", "");
  expectPassed(std::string(kMaxWordLength, 'g'));
  // Before the context filter: the filter's reason would hide why.
  expectSkipped(std::string(kMaxWordLength, 'g') + "@", "too-long", "");
}

TEST_F(SkipRulesTest, ZeroOrNegativeMinimumTurnsTheRuleOff) {
  for (const int64_t min : {0, -3}) {
    cfg.MinWordLength = min;
    expectPassed("x");
    expectSkipped("@", "context-filter", "");
  }
}

TEST_F(SkipRulesTest, ShortWordIsSkippedForLengthBeforeTheContextFilter) {
  expectSkipped("@", "min-length", "");
  cfg.MinWordLength = 3;
  expectSkipped("a@", "min-length", "");
  expectSkipped("fd", "min-length", "");
  expectPassed("f");  // the one-letter exemption holds for any minimum
}

TEST_F(SkipRulesTest, ContextFilterSkipsAddressLikeWords) {
  for (const char* word : {"v1.2", "a.b.c", "a-b.c", "x@y", R"(\\server\share)", "path/to", "a:b",
                           "snake_case", "1.", "-5", "мир.рф.ру"}) {
    expectSkipped(word, "context-filter", "");
  }
  // Only ASCII digits count, and only together with a "-" or ".".
  for (const char* word : {"ghbdtn.", "ghbdtn,", "a-b", "v12", ".ru", "привет-", "а.б٣"}) {
    expectPassed(word);
  }
  // ё typed with the Mac Russian keys on QWERTY: пойдём, всё, её, ещё.
  for (const char* word : {"gjql\\v", "dc\\", "t\\", "tof\\&"}) expectPassed(word);
}

TEST_F(SkipRulesTest, ExcludedApplicationAndTheProgramItself) {
  frontApp = "com.jetbrains.IntelliJ-IDEA";  // "idea" is excluded by default
  expectSkipped("ghbdtn", "excluded-app", frontApp);
  frontApp = "com.telvarinox.vyx";
  expectSkipped("ghbdtn", "own-app", frontApp);
  frontApp = "com.telvarinox.vyx.helper";  // only the exact identifier is the program
  expectPassed("ghbdtn");
  cfg.ExcludedApps.push_back("telvarinox");
  frontApp = "com.telvarinox.vyx";
  expectSkipped("ghbdtn", "excluded-app", frontApp);
}

TEST_F(SkipRulesTest, UnknownOrMissingFrontmostIsTestedAsEmpty) {
  cfg.ExcludedApps.push_back("");  // an empty entry excludes nothing
  frontApp = "";
  const SkipDecision d = decide("ghbdtn");
  EXPECT_FALSE(d.skip);
  EXPECT_EQ(d.app, "");

  const SkipDecision noFrontmost = shouldSkipWordReasonWithFrontmost(cfg, nullptr, "ghbdtn", {});
  EXPECT_FALSE(noFrontmost.skip);
  EXPECT_EQ(noFrontmost.app, "");
}

class SkipRulesStoreTest : public SkipRulesTest {
 protected:
  testing::TempStore temp;
  ExceptionStore& store() { return *temp.store(); }

  int64_t hits(std::string_view app, std::string_view word) {
    for (const Exception& e : store().List()) {
      if (e.App == app && e.Word == word) return e.HitCount;
    }
    return -1;
  }
};

TEST_F(SkipRulesStoreTest, LearnedExceptionSkipsAndIsLoggedLast) {
  ASSERT_TRUE(store().Add(frontApp, "ghbdtn").ok());
  testing::LogCapture log;
  testing::VerboseScope verbose;
  const SkipDecision d = decide("GHBDTN", &store());
  EXPECT_TRUE(d.skip);
  EXPECT_EQ(d.reason, "exception");
  EXPECT_EQ(d.app, frontApp);
  EXPECT_EQ(hits(frontApp, "ghbdtn"), 2);
  EXPECT_EQ(log.messages(),
            std::vector<std::string>{"Exception skip: \"GHBDTN\" in \"com.apple.TextEdit\""});
  // Without a store the same word goes to the detector, silently.
  EXPECT_FALSE(decide("ghbdtn").skip);
  EXPECT_EQ(log.messages().size(), 1u);
}

TEST_F(SkipRulesStoreTest, OnlyWordsThatPassEveryOtherRuleCountAHit) {
  ASSERT_TRUE(store().Add("*", "ghbdtn").ok());
  frontApp = "com.jetbrains.IntelliJ-IDEA";
  EXPECT_EQ(decide("ghbdtn", &store()).reason, "excluded-app");
  frontApp = "com.telvarinox.vyx";
  EXPECT_EQ(decide("ghbdtn", &store()).reason, "own-app");
  EXPECT_EQ(hits("*", "ghbdtn"), 1);
  frontApp = "";  // an unknown application still meets the "*" entries
  EXPECT_EQ(decide("ghbdtn", &store()).reason, "exception");
  EXPECT_EQ(hits("*", "ghbdtn"), 2);
}

}  // namespace
}  // namespace vyx
