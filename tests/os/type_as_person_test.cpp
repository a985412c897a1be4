// A person typing an intended text without looking at the input source,
// and telling when the desktop has gone quiet.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "os/main_queue.h"
#include "os/sim/desktop.h"
#include "os/sim/key_codes.h"
#include "support/tap_thread.h"

namespace vyx::os::sim {
namespace {

constexpr auto kApp = "com.apple.TextEdit";
constexpr auto kUS = "com.apple.keylayout.US";
constexpr auto kRussian = "com.apple.keylayout.Russian";

struct TypingCase {
  const char* selected;
  const char* intended;
  const char* typed;
  std::u32string skipped;
};

TEST(TypeAsPerson, EachCharacterOnTheLayoutOfItsScript) {
  const std::vector<TypingCase> cases = {
      {kUS, "привет", "ghbdtn", U""},
      {kRussian, "привет", "привет", U""},
      // Punctuation goes where the last letter was typed.
      {kUS, "Hello, мир.", "Hello, vbh&", U""},
      {kRussian, "Hello, мир.", "Руддщб мир.", U""},
      {kUS, "да, нет? №1", "lf^ ytn? #1", U""},
      {kRussian, "да, нет? №1", "да, нет? №1", U""},
      {kUS, "ёлка\n", "\\krf\n", U""},
      // The person's fingers know the Mac layout, whatever is selected.
      {"com.apple.keylayout.RussianWin", "привет.", "привет?", U""},
      {kUS, "Grüße", "Gre", U"üß"},
  };
  for (const auto& c : cases) {
    DesktopOptions options;
    options.inputSources.push_back(russianPCInputSource());
    options.selectedInputSource = c.selected;
    Desktop desktop(options);
    const TypeOptions typing{std::chrono::milliseconds(1), std::chrono::milliseconds(1), 7};
    EXPECT_EQ(desktop.typeAsPerson(c.intended, typing), c.skipped) << c.intended;
    ASSERT_TRUE(desktop.waitIdle(std::chrono::seconds(10), std::chrono::milliseconds(0)));
    EXPECT_EQ(desktop.text(kApp), c.typed) << c.intended << " on " << c.selected;
  }
}

TEST(WaitIdle, WaitsForTheProgramTheTapAndTheMainQueue) {
  DesktopOptions options;
  options.trusted = true;
  Desktop desktop(options);
  const auto briefly = std::chrono::milliseconds(20);
  const auto zero = std::chrono::milliseconds(0);
  const auto long_ = std::chrono::seconds(10);

  std::atomic<bool> busy{true};
  desktop.setBusyProbe([&] { return busy.load(); });
  EXPECT_FALSE(desktop.waitIdle(briefly, zero));
  busy = false;
  EXPECT_TRUE(desktop.waitIdle(long_, zero));

  std::atomic<bool> holdTap{true};
  testing::TapThread tap(
      [&](EventType, Event* e) {
        while (holdTap) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return e;
      },
      eventMaskBit(kEventKeyDown));
  desktop.press(key::kA);
  EXPECT_FALSE(desktop.waitIdle(briefly, zero));
  holdTap = false;
  EXPECT_TRUE(desktop.waitIdle(long_, zero));

  std::atomic<bool> holdMain{true};
  dispatchAsyncMain([&] {
    while (holdMain) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  EXPECT_FALSE(desktop.waitIdle(briefly, zero));
  holdMain = false;
  EXPECT_TRUE(desktop.waitIdle(long_, zero));

  // Quiet means nothing posted for the whole period.
  desktop.press(key::kS);
  EXPECT_FALSE(desktop.waitIdle(briefly, std::chrono::hours(1)));
  EXPECT_TRUE(desktop.waitIdle(long_, zero));
  EXPECT_EQ(desktop.text(kApp), "as");
}

}  // namespace
}  // namespace vyx::os::sim
