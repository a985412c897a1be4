// Vyx started as the person starts it, on its simulated desktop, and ended
// the two orderly ways: a signal and "Выйти".
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "support/vyx_process.h"

namespace vyx::testing {
namespace {

using os::sim::ControlError;
using os::sim::DesktopClient;
using os::sim::ViewSnapshot;
using Lines = std::vector<std::string>;

constexpr const char* kTextEdit = "com.apple.TextEdit";
constexpr const char* kNotReady =
    "Keyboard hook not ready: grant Accessibility in System Settings > Privacy & Security > "
    "Accessibility";

// Polls a condition of the desktop until it holds or the time is up.
bool eventually(const std::function<bool()>& holds,
                std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!holds()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

bool hasButton(const ViewSnapshot& view, const std::string& title) {
  if (view.kind == os::sim::ViewKind::button && view.text == title) return true;
  for (const ViewSnapshot& child : view.children) {
    if (hasButton(child, title)) return true;
  }
  return false;
}

// The titles of the buttons of every visible window.
bool visibleWindowHasButton(DesktopClient& client, const std::string& title) {
  for (const auto& w : client.windows()) {
    if (w.visible && hasButton(w.content, title)) return true;
  }
  return false;
}

// The start-up lines: dictionary sizes vary with the word lists, and the
// user word list's poller reports from its own thread whenever it gets there.
Lines startupLines(const Lines& log) {
  static const std::regex kCount(R"((Russian|English) dict: [0-9]+ words)");
  Lines out;
  for (const std::string& line : log) {
    if (line.rfind("custom dict:", 0) != 0)
      out.push_back(std::regex_replace(line, kCount, "$1 dict: N words"));
  }
  return out;
}

TEST(ProgramStartup, DisabledInTheSettingsItEndsBeforeCreatingAnything) {
  const TempDir dir;
  std::ofstream(dir.file("config.yaml")) << "enabled: false\n";
  const VyxRun run = runVyx({.configDir = dir.path()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(VyxProcess::messagesOf(run.err),
            (Lines{"Vyx starting...", "Disabled in config, exiting"}));
  EXPECT_EQ(dir.entries(), Lines{"config.yaml"});
}

TEST(ProgramStartup, WithAccessibilityItCorrectsAWrongLayoutWordAndEndsOnSigterm) {
  VyxProcess vyx({.trusted = true});
  ASSERT_TRUE(vyx.waitForLog("Vyx ready")) << vyx.stderrText();
  EXPECT_EQ(startupLines(vyx.logMessages()),
            (Lines{"Vyx starting...", "Russian dict: N words", "English dict: N words",
                   "Keyboard hook started", "Vyx ready"}));

  DesktopClient client = vyx.connect();
  // The icon changes on the main queue, which runs just after the log line.
  EXPECT_TRUE(eventually([&] { return client.statusItemTitle() == "\u26A1"; }));
  EXPECT_TRUE(client.windows().empty());
  ASSERT_TRUE(waitForEnabledTap(client));
  // Typed on the U.S. layout by a person who meant Russian.
  client.typeAsPerson("привет ");
  ASSERT_TRUE(client.waitIdle());
  EXPECT_EQ(client.text(kTextEdit), "привет ");
  EXPECT_EQ(client.currentInputSource(), "com.apple.keylayout.Russian");

  ASSERT_TRUE(vyx.waitForSignalWatcher());
  // A second signal, impatient, does not cut the orderly exit short.
  vyx.sendSignal(SIGTERM);
  vyx.sendSignal(SIGINT);
  EXPECT_EQ(vyx.waitExit(), 0);
  const Lines log = vyx.logMessages();
  ASSERT_GE(log.size(), 2U);
  EXPECT_EQ(Lines(log.end() - 2, log.end()),
            (Lines{"Shutting down",
                   "metrics: conversions=1 queue_drops=0 tap_timeouts=0 checkpoint_misses=0"}));
  EXPECT_TRUE(std::filesystem::exists(vyx.configFile("exceptions.json")));
  EXPECT_TRUE(std::filesystem::exists(vyx.configFile("custom_dict.txt")));
}

TEST(ProgramStartup, WithoutAccessibilityItWaitsAndStartsOnceGrantedThenQuitsFromTheMenu) {
  VyxProcess vyx;
  ASSERT_TRUE(vyx.waitForLog("Vyx waiting for Accessibility permission")) << vyx.stderrText();
  EXPECT_EQ(startupLines(vyx.logMessages()),
            (Lines{"Vyx starting...", "Russian dict: N words", "English dict: N words", kNotReady,
                   "Vyx waiting for Accessibility permission"}));

  DesktopClient client = vyx.connect();
  EXPECT_EQ(client.statusItemTitle(), "\u26A0\uFE0E");
  EXPECT_TRUE(eventually([&] { return visibleWindowHasButton(client, "Разрешить доступ"); }));

  // Nothing is corrected before the grant; then, within about one check of
  // the watcher, the hook runs and the window turns ready.
  client.setTrusted(true);
  ASSERT_TRUE(vyx.waitForLog("Accessibility granted — Vyx ready", std::chrono::seconds(5)));
  EXPECT_TRUE(eventually([&] { return client.statusItemTitle() == "\u26A1"; }));
  EXPECT_TRUE(eventually([&] { return visibleWindowHasButton(client, "Начать"); }));
  // The window took the focus; the person clicks back into the editor and
  // types once vyx has heard of it (until then its words count as Vyx's own).
  client.activate(kTextEdit);
  ASSERT_TRUE(waitForEnabledTap(client));
  ASSERT_TRUE(client.waitIdle());
  client.typeAsPerson("мир ");
  ASSERT_TRUE(client.waitIdle());
  EXPECT_EQ(client.text(kTextEdit), "мир ");

  // The action never returns: the process ends inside it.
  try {
    (void)client.clickStatusMenuItem({"Выйти"});
  } catch (const ControlError&) {
  }
  EXPECT_EQ(vyx.waitExit(), 0);
  const Lines log = vyx.logMessages();
  ASSERT_GE(log.size(), 2U);
  EXPECT_EQ(Lines(log.end() - 2, log.end()),
            (Lines{"Quit from tray",
                   "metrics: conversions=1 queue_drops=0 tap_timeouts=0 checkpoint_misses=0"}));
  for (const std::string& line : log) EXPECT_EQ(line.find("still not ready"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(vyx.configFile("exceptions.json")));
}

// With nobody left to read its log (vyx 2>&1 | head), Vyx keeps working, and
// a signal still ends it in order, with its final save.
TEST(ProgramStartup, ALogThatNobodyReadsCostsTheLinesNotTheProgram) {
  const TempDir dir;
  std::ofstream(dir.file("exceptions.json"))
      << R"({"entries":[{"app":"*","word":"ghbdtn","added":"2025-01-01T00:00:00Z","hit_count":1}]})";
  VyxProcess vyx(
      {.args = {"-verbose"}, .trusted = true, .configDir = dir.path(), .stderrReaderGone = true});
  DesktopClient client = vyx.connect();
  ASSERT_TRUE(waitForEnabledTap(client));
  // A learned exception: each word is left alone, and its count goes up.
  client.typeAsPerson("ghbdtn ghbdtn ghbdtn ");
  ASSERT_TRUE(client.waitIdle());
  EXPECT_EQ(client.text(kTextEdit), "ghbdtn ghbdtn ghbdtn ");

  ASSERT_TRUE(vyx.waitForSignalWatcher());
  vyx.sendSignal(SIGTERM);
  EXPECT_EQ(vyx.waitExit(), 0);
  const std::string saved = readFile(dir.file("exceptions.json"));
  EXPECT_NE(saved.find("\"hit_count\": 4"), std::string::npos) << saved;
}

}  // namespace
}  // namespace vyx::testing
