#include "log/logger.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <thread>
#include <vector>

#include "log/metrics.h"
#include "support/log_capture.h"

namespace vyx {
namespace {

using testing::LogCapture;
using testing::VerboseScope;

TEST(Logger, LineHasDatePrefixAndOneLineBreak) {
  LogCapture cap;
  logLine("Vyx starting...");
  logLine("already ends\n");
  logf("Config warning: %v", Error("bad yaml"));
  const std::string text = cap.text();
  const std::regex line(R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2} [^\n]*\n)");
  std::string rest = text;
  int lines = 0;
  for (std::smatch m; std::regex_search(rest, m, line) && m.position() == 0; rest = m.suffix()) {
    ++lines;
  }
  EXPECT_EQ(lines, 3);
  EXPECT_TRUE(rest.empty()) << rest;
  EXPECT_EQ(cap.messages(), (std::vector<std::string>{"Vyx starting...", "already ends",
                                                      "Config warning: bad yaml"}));
}

TEST(Logger, VlogWritesOnlyWhenVerbose) {
  LogCapture cap;
  {
    VerboseScope off(false);
    vlog("skip_reason: %s", "min-length");
  }
  {
    VerboseScope on(true);
    vlog("skip_reason: %s", "exception");
  }
  EXPECT_EQ(cap.messages(), std::vector<std::string>{"skip_reason: exception"});
}

// The platform's log is read by more people than standard error is: what
// the person typed reaches it only in lines marked as theirs.
struct MirroredLine {
  std::string message;
  LogPrivacy privacy;
  bool operator==(const MirroredLine&) const = default;
};
std::vector<MirroredLine>& mirrored() {
  static std::vector<MirroredLine> lines;
  return lines;
}
void recordMirror(std::string_view message, LogPrivacy privacy) {
  mirrored().push_back({std::string(message), privacy});
}

TEST(Logger, MirrorGetsVerboseLinesAsPersonalAndTheRestAsShown) {
  LogCapture cap;
  mirrored().clear();
  setLogMirror(recordMirror);
  {
    VerboseScope on(true);
    vlog("Fix: %q → %q", "ghbdtn", "привет");
    logLine("Vyx ready\n");
    logf("custom dict: %d words loaded", 3);
  }
  {
    VerboseScope off(false);
    vlog("REPLACE TYPED: %q", "привет");
  }
  setLogMirror(nullptr);
  logLine("after the mirror");
  using P = LogPrivacy;
  EXPECT_EQ(mirrored(), (std::vector<MirroredLine>{{R"(Fix: "ghbdtn" → "привет")", P::personal},
                                                   {"Vyx ready", P::shown},
                                                   {"custom dict: 3 words loaded", P::shown}}));
  EXPECT_EQ(cap.messages().size(), 4U);
}

TEST(Logger, LinesOfManyThreadsNeverInterleave) {
  LogCapture cap;
  constexpr int kThreads = 8;
  constexpr int kLines = 400;
  std::vector<std::thread> threads;
  threads.reserve(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      const std::string payload(200 + t * 37, static_cast<char>('a' + t));
      for (int i = 0; i < kLines; ++i) logf("t%d #%d %s", t, i, payload);
    });
  }
  for (auto& th : threads) th.join();
  const auto msgs = cap.messages();
  ASSERT_EQ(msgs.size(), static_cast<size_t>(kThreads * kLines));
  std::set<std::string> seen;
  const std::regex shape(R"(t(\d) #(\d+) ([a-h]+))");
  for (const auto& m : msgs) {
    std::smatch g;
    ASSERT_TRUE(std::regex_match(m, g, shape)) << m.substr(0, 80);
    const int t = std::stoi(g[1]);
    EXPECT_EQ(g[3].str(), std::string(200 + t * 37, static_cast<char>('a' + t)));
    seen.insert(g[1].str() + "/" + g[2].str());
  }
  EXPECT_EQ(seen.size(), msgs.size());
}

TEST(Metrics, SummaryShowsCurrentCountersEachTime) {
  LogCapture cap;
  const uint64_t c0 = metricConversions.load();
  const uint64_t d0 = metricQueueDrops.load();
  const uint64_t t0 = metricTapTimeouts.load();
  const uint64_t m0 = metricCheckpointMisses.load();
  logMetricsSummary();
  metricConversions.fetch_add(1);
  metricQueueDrops.fetch_add(2);
  metricTapTimeouts.fetch_add(3);
  metricCheckpointMisses.fetch_add(4);
  logMetricsSummary();
  const auto msgs = cap.messages();
  constexpr const char* kLine =
      "metrics: conversions=%d queue_drops=%d tap_timeouts=%d checkpoint_misses=%d";
  ASSERT_EQ(msgs.size(), 2U);
  EXPECT_EQ(msgs[0], sformat(kLine, c0, d0, t0, m0));
  EXPECT_EQ(msgs[1], sformat(kLine, c0 + 1, d0 + 2, t0 + 3, m0 + 4));
}

TEST(LoggerDeathTest, FatalExitsWithStatusOneAndSkipsExitHandlers) {
  EXPECT_EXIT(
      {
        std::atexit([] { logLine("atexit ran"); });
        logFatalLine("Cannot load Russian dict: boom");
      },
      ::testing::ExitedWithCode(1),
      ::testing::AllOf(::testing::HasSubstr("Cannot load Russian dict: boom"),
                       ::testing::Not(::testing::HasSubstr("atexit ran"))));
}

}  // namespace
}  // namespace vyx
