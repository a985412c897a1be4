// A correction the person did not want, taken back: Vyx learns the word for
// that application, keeps it on disk, and still knows it after a restart.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <regex>
#include <string>

#include "desk.h"
#include "os/sim/key_codes.h"

namespace vyx::testing {
namespace {

namespace key = os::sim::key;

// The learned exceptions as exceptions.json holds them: application and
// word of each entry, waiting for the saver (200 ms after a change).
std::vector<std::pair<std::string, std::string>> savedExceptions(const VyxProcess& vyx) {
  std::vector<std::pair<std::string, std::string>> out;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  do {
    std::ifstream in(vyx.configFile("exceptions.json"));
    const nlohmann::json file = nlohmann::json::parse(in, nullptr, false);
    out.clear();
    if (file.is_object() && file.contains("entries")) {
      for (const auto& e : file.at("entries")) out.emplace_back(e.at("app"), e.at("word"));
    }
    if (!out.empty()) return out;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  } while (std::chrono::steady_clock::now() < deadline);
  return out;
}

// What "vyx --list-exceptions" prints for the configuration directory.
std::string listed(const VyxProcess& vyx) {
  const VyxRun run = runVyx({.args = {"--list-exceptions"}, .configDir = vyx.configDir()});
  EXPECT_EQ(run.status, 0) << run.err;
  return run.out;
}

// The one line of the listing: ghbdtn in TextEdit, learned today, with the
// times it was learned or left alone since.
bool listsGhbdtn(const std::string& listing, int hits) {
  const std::regex line(R"(com\.apple\.TextEdit {22}  ghbdtn {24}  )" + std::to_string(hits) +
                        R"( hits  added=\d{4}-\d\d-\d\d\n)");
  return std::regex_match(listing, line);
}

TEST(Learning, CmdZPutsBackWhatWasTypedAndTheWordStaysAsTypedFromThenOn) {
  Desk desk;
  desk.freshField(kUS);
  EXPECT_EQ(desk.type("ghbdtn "), "привет ");
  desk.press(key::kZ, os::kEventFlagMaskCommand);
  EXPECT_EQ(desk.desktop().text(kTextEdit), "ghbdtn ");
  EXPECT_EQ(desk.desktop().currentInputSource(), kUS);
  // TextEdit's own undo never ran.
  EXPECT_EQ(desk.desktop().call("undoRequests", {{"bundleID", kTextEdit}}).at("count"), 0);
  EXPECT_EQ(savedExceptions(desk.vyx()),
            (std::vector<std::pair<std::string, std::string>>{{kTextEdit, "ghbdtn"}}));
  EXPECT_EQ(desk.type("ghbdtn "), "ghbdtn ghbdtn ");

  desk.quitFromMenu();
  EXPECT_EQ(desk.vyx().waitExit(), 0);
  // Learned once, left alone once.
  EXPECT_TRUE(listsGhbdtn(listed(desk.vyx()), 2)) << listed(desk.vyx());
}

// Erase the correction, go back to the U.S. source, type the word again
// exactly: the first time is remembered, the second teaches the word.
TEST(Learning, ErasingACorrectionAndRetypingTheWordTwiceTeachesIt) {
  Desk desk;
  desk.freshField(kUS);
  const auto eraseAndRetype = [&] {
    for (int i = 0; i < 7; ++i) desk.desktop().press(key::kBackspace);
    desk.desktop().selectInputSource(kUS);
    return desk.type("ghbdtn ");
  };
  EXPECT_EQ(desk.type("ghbdtn "), "привет ");
  EXPECT_EQ(eraseAndRetype(), "привет ");
  EXPECT_EQ(eraseAndRetype(), "ghbdtn ");
  EXPECT_EQ(savedExceptions(desk.vyx()),
            (std::vector<std::pair<std::string, std::string>>{{kTextEdit, "ghbdtn"}}));
  EXPECT_EQ(desk.type("ghbdtn "), "ghbdtn ghbdtn ");

  ASSERT_TRUE(desk.vyx().waitForSignalWatcher());
  desk.vyx().sendSignal(SIGTERM);
  EXPECT_EQ(desk.vyx().waitExit(), 0);
  // Learned once, left alone at the end of the retype and once more.
  EXPECT_TRUE(listsGhbdtn(listed(desk.vyx()), 3)) << listed(desk.vyx());
}

// Logout, restart, Activity Monitor's Quit or an AppleScript "quit" a moment
// after a lesson: Vyx ends as "Выйти" ends it, and the lesson is on disk.
TEST(Learning, ALessonLearnedJustBeforeTheSystemQuitsVyxIsKept) {
  Desk desk;
  desk.freshField(kUS);
  EXPECT_EQ(desk.type("ghbdtn "), "привет ");
  os::sim::DesktopClient& desktop = desk.desktop();
  desktop.press(key::kZ, os::kEventFlagMaskCommand);
  // Asked as soon as the word is back, before the saver's own 200 ms.
  ASSERT_TRUE(desktop.waitIdle(std::chrono::seconds(10), std::chrono::milliseconds(0)));
  EXPECT_EQ(desktop.text(kTextEdit), "ghbdtn ");
  desktop.call("requestQuit");
  EXPECT_EQ(desk.vyx().waitExit(), 0);
  const std::vector<std::string> log = desk.vyx().logMessages();
  ASSERT_GE(log.size(), 2U);
  EXPECT_EQ(std::vector<std::string>(log.end() - 2, log.end()),
            (std::vector<std::string>{
                "Shutting down",
                "metrics: conversions=1 queue_drops=0 tap_timeouts=0 checkpoint_misses=0"}));
  EXPECT_EQ(savedExceptions(desk.vyx()),
            (std::vector<std::pair<std::string, std::string>>{{kTextEdit, "ghbdtn"}}));
}

}  // namespace
}  // namespace vyx::testing
