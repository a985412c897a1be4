// What a person sees typing into an application on the simulated desktop:
// words typed on the wrong layout come out right, the input source follows,
// and nothing typed or clicked meanwhile is lost, doubled or reordered.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "bridge_rig.h"
#include "log/metrics.h"
#include "support/log_capture.h"

namespace vyx::testing {
namespace {

struct WordCase {
  const char* typed;  // as the person means it, on the keys of its script
  uint16_t thenKey;   // pressed after it, 0 for none
  const char* startSource;
  const char* screen;
  const char* endSource;
};

class TypedWord : public ::testing::TestWithParam<WordCase> {};

// Each row needs exactly one correction: after it the source fits the
// person's next word, which then comes out right by itself.
TEST_P(TypedWord, ComesOutAsMeantOnTheLayoutOfItsScript) {
  const WordCase& c = GetParam();
  sim::DesktopOptions options = trustedDesktop();
  options.selectedInputSource = c.startSource;
  BridgeRig rig(options);
  rig.desktop.typeAsPerson(c.typed, kQuick);
  if (c.thenKey != 0) rig.desktop.press(c.thenKey);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.text(), c.screen);
  EXPECT_EQ(rig.desktop.programSelections(), std::vector<std::string>{c.endSource});
  if (c.thenKey != 0) {  // Return or keypad Enter went again after the word, with its key code
    const sim::Arrival last = rig.desktop.programPosts().back();
    EXPECT_EQ(last.keycode, c.thenKey);
    EXPECT_EQ(last.userData, syntheticEventMarker);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, TypedWord,
    ::testing::Values(WordCase{"привет мир ", 0, kUS, "привет мир ", kRussian},
                      WordCase{"hello world ", 0, kRussian, "hello world ", kUS},
                      WordCase{"привет! ", 0, kUS, "привет! ", kRussian},
                      WordCase{"привет? ", 0, kUS, "привет? ", kRussian},
                      WordCase{"привет, мир ", 0, kUS, "привет, мир ", kRussian},
                      // ё is on the backslash key of the Mac Russian layout.
                      WordCase{"пойдём ", 0, kUS, "пойдём ", kRussian},
                      WordCase{"привет", key::kReturn, kUS, "привет\n", kRussian},
                      WordCase{"привет", key::kKeypadEnter, kUS, "привет\n", kRussian}));

TEST(Typing, KeysTypedDuringCorrectionsArriveAfterThemOnceEachAndInOrder) {
  // With the Russian source out of reach every Russian word comes out on the
  // U.S. layout and needs its own correction while the next one is typed.
  sim::DesktopOptions options = trustedDesktop();
  options.inputSources = {sim::usInputSource(), sim::russianInputSource()};
  options.inputSources[1].selectCapable = false;
  BridgeRig rig(options);
  const uint64_t conversions = metricConversions.load();
  const std::string meant = "привет мир дом как дела слово работа ";
  rig.desktop.typeAsPerson(meant, {std::chrono::milliseconds(20), std::chrono::milliseconds(8)});
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.text(), meant);
  EXPECT_EQ(metricConversions.load() - conversions, 7u);
}

TEST(Typing, AClickDuringACorrectionIsReplayedAfterIt) {
  TypingGate gate;
  BridgeRig rig(trustedDesktop(), gate.wrap(bridgeAppOps()));
  rig.desktop.typeAsPerson("привет ", kQuick);
  ASSERT_TRUE(gate.waitEntered());
  rig.desktop.clickAtCaret(0);
  gate.letGo();
  ASSERT_TRUE(rig.idle());
  // A click that came first would have moved the caret away from the word
  // and the correction would have been dropped.
  const sim::FieldState field = rig.desktop.field(kTextEdit);
  EXPECT_EQ(field.text, "привет ");
  EXPECT_EQ(field.caret, 0u);
}

// The tap can lag behind the window server's queue. A key the person pressed
// before the program's own keys stays ahead of them in the queue; it must
// still be held back when the tap gets to it, or it lands before them.
TEST(Typing, AKeyTheTapSeesLateStillWaitsBehindTheCorrection) {
  TypingGate gate;
  BridgeRig rig(trustedDesktop(), gate.wrap(bridgeAppOps()));
  std::mutex mu;
  std::condition_variable cv;
  bool reached = false;
  bool go = false;
  const auto release = [&] {
    const std::lock_guard lock(mu);
    go = true;
    cv.notify_all();
  };
  App* app = rig.app.get();
  setKeyHandler([&, app](uint16_t keycode, char32_t ch, int64_t flags, std::u16string_view text) {
    if (ch == U'q') {
      std::unique_lock lock(mu);
      reached = true;
      cv.notify_all();
      cv.wait(lock, [&] { return go; });
    }
    return app->onKeyEvent(keycode, ch, flags, text);
  });
  rig.desktop.typeAsPerson("привет ", kQuick);
  ASSERT_TRUE(gate.waitEntered());
  rig.desktop.press(key::kA);  // held back behind the correction
  rig.desktop.press(key::kQ);  // the tap dawdles on it
  bool dawdling = false;
  {
    std::unique_lock lock(mu);
    dawdling = cv.wait_for(lock, std::chrono::seconds(10), [&] { return reached; });
  }
  gate.letGo();
  // Long enough for the worker to type, replay and call it done, had it not
  // waited for its keys to pass the tap.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  release();
  ASSERT_TRUE(dawdling);
  ASSERT_TRUE(rig.idle());
  // Both after the word, on the Russian source the correction selected.
  EXPECT_EQ(rig.text(), "привет фй");
}

// Another application comes to the front as the worker sets out to type a
// correction: it gets none of it, the word stays as typed (its Space went
// with the correction), the log says why, and nothing counts as converted.
TEST(Typing, ACorrectionNeverBeginsInAnApplicationThatCameToTheFront) {
  TypingGate gate;
  BridgeRig rig(trustedDesktop(), gate.wrap(bridgeAppOps()));
  rig.desktop.setField(kTextEdit, {.text = "Hello ", .caret = 6});
  rig.desktop.setField(kNotes, {.text = "shopping list", .caret = 13});
  const uint64_t conversions = metricConversions.load();
  LogCapture log;
  rig.desktop.typeAsPerson("привет ", kQuick);
  ASSERT_TRUE(gate.waitEntered());
  rig.desktop.activate(kNotes);
  gate.letGo();
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.desktop.text(kNotes), "shopping list");
  EXPECT_EQ(rig.text(), "Hello ghbdtn");
  EXPECT_EQ(metricConversions.load(), conversions);
  EXPECT_EQ(log.messages(), std::vector<std::string>{"REPLACE STOPPED: another application came "
                                                     "to the front, erased 0 of 6, typed 0 of 7"});
}

// The person switches to Notes while a correction is typed in TextEdit and
// types at once, before the program has heard of the switch: the key was
// typed in Notes and reaches Notes.
TEST(Typing, AKeyTypedRightAfterASwitchReachesTheApplicationItWasTypedIn) {
  TypingGate gate;
  BridgeRig rig(trustedDesktop(), gate.wrap(bridgeAppOps()));
  rig.desktop.addApp({kNotes});
  std::atomic<int> held{0};
  App* app = rig.app.get();
  setKeyHandler([&, app](uint16_t keycode, char32_t ch, int64_t flags, std::u16string_view text) {
    const bool swallowed = app->onKeyEvent(keycode, ch, flags, text);
    if (ch == U'x') held += swallowed ? 1 : 0;
    return swallowed;
  });
  rig.desktop.typeAsPerson("привет ", kQuick);
  ASSERT_TRUE(gate.waitEntered());
  // A busy main thread keeps the activation notice waiting.
  std::mutex mu;
  std::condition_variable cv;
  bool mainBusy = false;
  bool mainFree = false;
  std::thread busyMain([&] {
    rig.desktop.onMain([&] {
      std::unique_lock lock(mu);
      mainBusy = true;
      cv.notify_all();
      cv.wait(lock, [&] { return mainFree; });
    });
  });
  {
    std::unique_lock lock(mu);
    ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(10), [&] { return mainBusy; }));
  }
  rig.desktop.activate(kNotes);
  rig.desktop.press(key::kX);
  const bool xHeld = eventually([&] { return held.load() == 1; });
  {
    const std::lock_guard lock(mu);
    mainFree = true;
    cv.notify_all();
  }
  busyMain.join();
  rig.desktop.drainMainQueue();
  gate.letGo();
  ASSERT_TRUE(xHeld);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.desktop.text(kNotes), "x");
  EXPECT_EQ(rig.text(), "ghbdtn");
}

// Keys pressed while a correction is typed come out as the source it selects
// gives them, as they would had it been selected at once: the comma of
// "мир," is Shift+6 on the Mac Russian layout and Shift+/ on Russian – PC,
// which the U.S. source gives as ^ and ?.
TEST(Typing, KeysPressedDuringACorrectionComeOutOnTheSourceItSelects) {
  struct Case {
    sim::InputSourceInfo russian;
    uint16_t commaKey;
  };
  for (const Case& c :
       {Case{sim::russianInputSource(), key::k6}, Case{sim::russianPCInputSource(), key::kSlash}}) {
    SCOPED_TRACE(c.russian.id);
    sim::DesktopOptions options = trustedDesktop();
    options.inputSources = {sim::usInputSource(), c.russian};
    TypingGate gate;
    BridgeRig rig(options, gate.wrap(bridgeAppOps()));
    rig.desktop.typeAsPerson("привет ", kQuick);
    ASSERT_TRUE(gate.waitEntered());
    rig.desktop.typeAsPerson("мир", kQuick);  // on the keys of the Russian layout
    rig.desktop.press(c.commaKey, os::kEventFlagMaskShift);
    rig.desktop.press(key::kSpace);
    gate.letGo();
    ASSERT_TRUE(rig.idle());
    EXPECT_EQ(rig.text(), "привет мир, ");
    EXPECT_EQ(rig.desktop.currentInputSource(), c.russian.id);
  }
}

// Keys whose text is more than one UTF-16 unit, typed while a correction is
// typed, come out whole after it.
TEST(Typing, HeldKeysOfMoreThanOneUnitArriveWhole) {
  TypingGate gate;
  BridgeRig rig(trustedDesktop(), gate.wrap(bridgeAppOps()));
  rig.desktop.typeAsPerson("привет ", kQuick);
  ASSERT_TRUE(gate.waitEntered());
  for (const std::u16string text : {u"😀", u"𝐀", u"e\u0301", u"ab"}) {
    rig.desktop.postKeyEvent(true, key::kA, 0, text, 0);
    rig.desktop.postKeyEvent(false, key::kA, 0, text, 0);
  }
  gate.letGo();
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.text(), "привет 😀𝐀e\u0301ab");
}

TEST(Typing, CmdZRightAfterAFixBringsBackTheWordAsTyped) {
  BridgeRig rig;
  rig.desktop.typeAsPerson("привет ", kQuick);
  ASSERT_TRUE(rig.idle());
  rig.desktop.press(key::kZ, os::kEventFlagMaskCommand);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.text(), "ghbdtn ");
  EXPECT_EQ(rig.desktop.currentInputSource(), kUS);
  EXPECT_EQ(rig.desktop.undoRequests(kTextEdit), 0);  // the application's own undo never ran
}

}  // namespace
}  // namespace vyx::testing
