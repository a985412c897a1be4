// The first start on a Mac that has not granted Accessibility: the
// onboarding window, the grant in System Settings, and Vyx at work.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "desk.h"

namespace vyx::testing {
namespace {

using os::sim::ViewSnapshot;

bool hasButton(const ViewSnapshot& view, const std::string& title) {
  if (view.kind == os::sim::ViewKind::button && view.text == title) return true;
  for (const ViewSnapshot& child : view.children) {
    if (hasButton(child, title)) return true;
  }
  return false;
}

// The shown window with a button of that title, once there is one.
std::optional<size_t> shownWindowWith(os::sim::DesktopClient& desktop, const std::string& button) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  do {
    for (const auto& w : desktop.windows()) {
      if (w.visible && hasButton(w.content, button)) return w.id;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  } while (std::chrono::steady_clock::now() < deadline);
  return std::nullopt;
}

TEST(FirstRun, FromTheOnboardingWindowToCorrectingWithinOneCheckOfThePermission) {
  Desk desk({.trusted = false});
  os::sim::DesktopClient& desktop = desk.desktop();
  ASSERT_TRUE(desk.vyx().waitForLog("Vyx waiting for Accessibility permission"));
  EXPECT_EQ(desktop.statusItemTitle(), "\u26A0\uFE0E");
  const std::optional<size_t> asking = shownWindowWith(desktop, "Разрешить доступ");
  ASSERT_TRUE(asking.has_value());
  // Nothing is corrected yet.
  desk.activate(kTextEdit);
  EXPECT_EQ(desk.type("ghbdtn "), "ghbdtn ");

  ASSERT_TRUE(desktop.call("clickButton", {{"window", *asking}, {"title", "Разрешить доступ"}})
                  .at("clicked"));
  EXPECT_EQ(desktop.call("accessibilityPrompts").at("count"), 1);
  EXPECT_EQ(
      desktop.launches(),
      (std::vector<std::vector<std::string>>{
          {"x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"}}));
  // The person switches Vyx on in System Settings; Vyx looks every 2 s.
  desktop.setTrusted(true);
  desk.ready();
  EXPECT_EQ(desktop.statusItemTitle(), kActive);
  const std::optional<size_t> ready = shownWindowWith(desktop, "Начать");
  ASSERT_EQ(ready, asking);  // the same window, turned ready
  ASSERT_TRUE(desktop.call("clickButton", {{"window", *ready}, {"title", "Начать"}}).at("clicked"));
  desk.settle();
  EXPECT_FALSE(desktop.windows().at(*ready).visible);

  desk.activate(kTextEdit);
  EXPECT_EQ(desk.type("привет "), "ghbdtn привет ");
  desk.quitFromMenu();
  EXPECT_EQ(desk.vyx().waitExit(), 0);
}

// Switched on in System Settings, yet the system still keeps posting, then
// the keyboard, from Vyx: it says which, keeps the warning icon, corrects
// nothing and swallows nothing, and starts within one check once allowed.
TEST(FirstRun, TrustedButRefusedPostingOrTheKeyboardItSaysWhichAndKeepsWaiting) {
  Desk desk({.trusted = false});
  os::sim::DesktopClient& desktop = desk.desktop();
  ASSERT_TRUE(desk.vyx().waitForLog("Vyx waiting for Accessibility permission"));
  desktop.call("setEventAccess", {{"tapKeys", false}, {"post", false}});
  desktop.setTrusted(true);
  ASSERT_TRUE(desk.vyx().waitForLog(
      "Keyboard hook still not ready: sending keystrokes is not allowed: switch Vyx off and on "
      "again in System Settings > Privacy & Security > Accessibility"))
      << desk.vyx().stderrText();
  desktop.call("setEventAccess", {{"tapKeys", false}});
  ASSERT_TRUE(desk.vyx().waitForLog(
      "Keyboard hook still not ready: keystrokes do not reach Vyx: allow it in System Settings > "
      "Privacy & Security > Accessibility and Input Monitoring"))
      << desk.vyx().stderrText();
  EXPECT_EQ(desktop.statusItemTitle(), "\u26A0\uFE0E");
  EXPECT_TRUE(shownWindowWith(desktop, "Разрешить доступ").has_value());
  desk.activate(kTextEdit);
  EXPECT_EQ(desk.type("ghbdtn "), "ghbdtn ");

  desktop.call("setEventAccess");
  desk.ready();
  EXPECT_EQ(desktop.statusItemTitle(), kActive);
  desk.activate(kTextEdit);
  EXPECT_EQ(desk.type("привет "), "ghbdtn привет ");
  desk.quitFromMenu();
  EXPECT_EQ(desk.vyx().waitExit(), 0);
}

}  // namespace
}  // namespace vyx::testing
