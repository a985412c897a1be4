// The person switches Vyx off in System Settings while it runs. macOS says
// nothing of it, and an active tap left at the head of the event path holds
// up every key and click of the session: nothing the person does may wait on
// Vyx from then on.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "desk.h"

namespace vyx::testing {
namespace {

constexpr auto kWindowServerPatience = std::chrono::seconds(1);

TEST(Permission, TakenAwayMidCorrectionNothingWaitsOnVyxAndTheGrantBringsCorrectionsBack) {
  Desk desk;
  os::sim::DesktopClient& desktop = desk.desktop();
  desk.freshField(kUS);
  // "конфигурация" on the U.S. source, and a key held behind its correction.
  (void)desktop.typeAsPerson("rjyabuehfwbz k", {std::chrono::milliseconds(1)});
  // The correction's first Backspace on screen: the key behind it is held.
  const auto erasing = [&] {
    const auto arrived = desktop.arrivals(kTextEdit);
    return std::any_of(arrived.begin(), arrived.end(), [](const os::sim::Arrival& a) {
      return a.userData != 0 && a.keycode == 51;
    });
  };
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!erasing() && std::chrono::steady_clock::now() < deadline) {
  }
  ASSERT_TRUE(erasing()) << desktop.text(kTextEdit);
  const int64_t takenAway = os::sim::nanosSinceEpoch(std::chrono::steady_clock::now());
  desktop.setTrusted(false);
  (void)desktop.typeAsPerson(" ok ", kPerson);
  desk.settle();

  // Every key typed from then on reached TextEdit in order, before a Mac
  // would have given up on a stuck tap.
  std::u16string typedAfter;
  for (const os::sim::Arrival& a : desktop.arrivals(kTextEdit)) {
    if (a.userData != 0 || a.postedNs < takenAway || a.type != os::kEventKeyDown) continue;
    typedAfter += a.text;
    EXPECT_LT(std::chrono::nanoseconds(a.arrivedNs - a.postedNs), kWindowServerPatience);
  }
  EXPECT_EQ(typedAfter, u" ok ");
  EXPECT_TRUE(desktop.text(kTextEdit).ends_with(" ok ")) << desktop.text(kTextEdit);
  EXPECT_TRUE(desk.vyx().logged(
      "Keyboard hook stopped: the Accessibility permission was taken away — Vyx waiting for "
      "Accessibility permission"))
      << desk.vyx().stderrText();
  EXPECT_EQ(desktop.statusItemTitle(), "\u26A0\uFE0E");
  EXPECT_TRUE(desktop.taps().empty());

  desktop.setTrusted(true);
  ASSERT_TRUE(desk.vyx().waitForLog("Accessibility granted — Vyx ready"))
      << desk.vyx().stderrText();
  ASSERT_TRUE(waitForEnabledTap(desktop));
  desk.settle();
  EXPECT_EQ(desktop.statusItemTitle(), kActive);
  desk.freshField(kUS);
  EXPECT_EQ(desk.type("ghbdtn "), "привет ");
  desk.quitFromMenu();
  EXPECT_EQ(desk.vyx().waitExit(), 0);
}

}  // namespace
}  // namespace vyx::testing
