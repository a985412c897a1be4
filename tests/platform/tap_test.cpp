// The event tap as the person's input meets it: what reaches the key
// handler, what passes untouched, the system disabling a slow tap, the
// catch-alls, who frees each mouse copy, and a key path without allocations.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <tuple>
#include <vector>

#include "alloc_counter.h"
#include "bridge_rig.h"
#include "log/metrics.h"
#include "platform/synthetic_input.h"
#include "support/device_bits.h"
#include "support/log_capture.h"

namespace vyx::testing {
namespace {

using KeyCall = std::tuple<uint16_t, char32_t, int64_t>;
using Act = std::function<void(sim::Desktop&)>;

constexpr auto kNonCoalesced = static_cast<int64_t>(os::kEventFlagMaskNonCoalesced);

// A Mac may trust Vyx for Accessibility and still refuse it posting or the
// keyboard: a hook started then would swallow keys and type nothing, or see
// only the mouse, while Vyx said it was ready.
TEST(EventTap, TheHookDoesNotStartWithoutPermissionOrATap) {
  struct Case {
    const char* name;
    bool trusted;
    bool refuseTaps;
    sim::EventAccess access;
    const char* error;
  };
  const Case cases[] = {
      {"not trusted",
       false,
       true,
       {},
       "grant Accessibility in System Settings > Privacy & Security > Accessibility"},
      {"no tap at all", true, true, {}, "failed to create event tap"},
      {"posting refused",
       true,
       false,
       {.tapKeys = true, .post = false},
       "sending keystrokes is not allowed: switch Vyx off and on again in System Settings > "
       "Privacy & Security > Accessibility"},
      {"keyboard refused",
       true,
       false,
       {.tapKeys = false, .post = true},
       "keystrokes do not reach Vyx: allow it in System Settings > Privacy & Security > "
       "Accessibility and Input Monitoring"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim::DesktopOptions options;
    options.trusted = c.trusted;
    sim::Desktop desktop(options);
    desktop.refuseTaps(c.refuseTaps);
    desktop.setEventAccess(c.access);
    const Status started = startHook();
    ASSERT_FALSE(started.ok());
    EXPECT_EQ(started.error().message(), c.error);
    if (c.trusted) {
      EXPECT_EQ(activeEventTap.load(), nullptr);  // a refused start leaves no tap
    }
    EXPECT_TRUE(desktop.taps().empty());
  }
}

// The hook counts as started only once its thread serves the tap: a source
// the run loop would not take leaves nothing behind, and a later start can
// still succeed.
TEST(EventTap, TheHookFailsWhenItsThreadCannotServeTheTap) {
  sim::DesktopOptions options;
  options.trusted = true;
  sim::Desktop desktop(options);
  desktop.failRunLoopSources(true);
  const Status started = startHook();
  ASSERT_FALSE(started.ok());
  EXPECT_EQ(started.error().message(), "failed to add event tap to its run loop");
  EXPECT_EQ(activeEventTap.load(), nullptr);
  EXPECT_TRUE(desktop.taps().empty());  // released, so no key waits for it
  desktop.press(key::kA);
  ASSERT_TRUE(desktop.waitIdle(std::chrono::seconds(10), std::chrono::milliseconds(0)));
  EXPECT_EQ(desktop.text(kTextEdit), "a");

  desktop.failRunLoopSources(false);
  const Status again = startHook();
  ASSERT_TRUE(again.ok()) << again.error().message();
  ASSERT_EQ(desktop.taps().size(), 1U);
  EXPECT_TRUE(desktop.taps()[0].enabled);
}

TEST(EventTap, RoutesEachKindOfEventAsTheMaskAndTheMarkerSay) {
  struct Case {
    Act act;
    std::vector<KeyCall> calls;
    uint64_t tapSees;
  };
  const auto shift = static_cast<int64_t>(os::kEventFlagMaskShift | kLeftShiftBit) | kNonCoalesced;
  const std::vector<Case> cases = {
      {[](sim::Desktop& d) { d.postKeyEvent(true, key::kA, 0, u"a", syntheticEventMarker); },
       {},
       1},
      {[](sim::Desktop& d) { d.postKeyEvent(true, key::kA, 0, u"a", 7); }, {{key::kA, U'a', 0}}, 1},
      {[](sim::Desktop& d) { d.postKeyEvent(true, key::kA, 0, u"", 0); }, {{key::kA, 0, 0}}, 1},
      {[](sim::Desktop& d) { d.tapModifier(key::kShift); },
       {{key::kShift, 0, shift}, {key::kShift, 0, kNonCoalesced}},
       2},
      {[](sim::Desktop& d) { d.press(key::kA); }, {{key::kA, U'a', kNonCoalesced}}, 2},
      {[](sim::Desktop& d) { d.scrollWheel(3); }, {}, 0},
      {[](sim::Desktop& d) {
         d.mouseMove({5, 5});
       },
       {},
       1},  // gate off
  };
  BridgeRig rig;
  std::mutex mu;
  std::vector<KeyCall> calls;
  setKeyHandler([&](uint16_t k, char32_t c, int64_t f, std::u16string_view) {
    const std::lock_guard lock(mu);
    calls.emplace_back(k, c, f);
    return false;
  });
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    const uint64_t seen = rig.desktop.taps().at(0).eventsSeen;
    const size_t arrived = rig.desktop.arrivals(kTextEdit).size();
    cases[i].act(rig.desktop);
    ASSERT_TRUE(rig.idle());
    const std::lock_guard lock(mu);
    EXPECT_EQ(std::exchange(calls, {}), cases[i].calls);
    EXPECT_EQ(rig.desktop.taps().at(0).eventsSeen - seen, cases[i].tapSees);
    EXPECT_EQ(rig.desktop.arrivals(kTextEdit).size() - arrived,
              std::max<uint64_t>(cases[i].tapSees, 1));
  }
  EXPECT_EQ(rig.desktop.taps().at(0).mask, 0x0E001CFEu);
}

TEST(EventTap, ADisabledTapIsReenabledCountedAndTheContextInvalidated) {
  BridgeRig rig;
  LogCapture log;
  metricTapTimeouts.store(0);
  rig.desktop.setTapTimeout(std::chrono::milliseconds(50));
  App* app = rig.app.get();
  setKeyHandler([app](uint16_t k, char32_t c, int64_t f, std::u16string_view t) {
    if (c == U'q') std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return app->onKeyEvent(k, c, f, t);
  });
  rig.desktop.typeAsPerson("ghbq", kQuick);  // too slow a callback for "q"
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.desktop.taps().at(0).timeouts, 1u);
  EXPECT_EQ(rig.app->generation(), 1u);
  EXPECT_EQ(rig.app->buffer().CurrentWord(), "");
  rig.desktop.disableTapsByUserInput();
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.app->generation(), 2u);
  EXPECT_EQ(log.messages(),
            (std::vector<std::string>{"event tap re-enabled (timeout), total=1",
                                      "event tap re-enabled (user input), total=2"}));
  rig.desktop.typeAsPerson("a", kQuick);  // the tap works on
  ASSERT_TRUE(rig.idle());
  EXPECT_TRUE(rig.desktop.taps().at(0).enabled);
  EXPECT_EQ(rig.app->buffer().CurrentWord(), "a");
}

// The key handler answers `late` only after the system has given up waiting
// for it (a time-out of 200 ms), and then lingers while TextEdit still
// shows lingerWhile (at most 300 ms), keeping the notice of the time-out
// back meanwhile.
void outlastTheTapAt(BridgeRig& rig, char32_t late, const std::string& lingerWhile = {}) {
  rig.desktop.setTapTimeout(std::chrono::milliseconds(200));
  App* app = rig.app.get();
  sim::Desktop& desktop = rig.desktop;
  setKeyHandler([=, &desktop](uint16_t k, char32_t c, int64_t f, std::u16string_view t) {
    const bool swallowed = app->onKeyEvent(k, c, f, t);
    if (c != late) return swallowed;
    EXPECT_TRUE(eventually([&] { return desktop.taps().at(0).timeouts == 1; }));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (!lingerWhile.empty() && desktop.text(kTextEdit) == lingerWhile &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return swallowed;
  });
}

// The system gives up waiting for the tap while it swallows the Space that
// ends a wrong word: the Space reaches TextEdit by itself, and the
// correction, dropped with the context, does not type it a second time.
TEST(EventTap, ASpaceThatGotThroughAtATimeOutIsNotTypedAgain) {
  BridgeRig rig;
  App* app = rig.app.get();
  outlastTheTapAt(rig, U' ');
  {
    // The worker waits before its checks until the re-enabled tap has
    // invalidated the context.
    const std::lock_guard worker(replaceMu);
    rig.desktop.typeAsPerson("привет ", kQuick);
    ASSERT_TRUE(eventually([&] { return app->generation() == 1; }));
  }
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.text(), "ghbdtn ");
  setKeyHandler([app](uint16_t k, char32_t c, int64_t f, std::u16string_view t) {
    return app->onKeyEvent(k, c, f, t);
  });
  rig.desktop.typeAsPerson("мир ", kQuick);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.text(), "ghbdtn мир ");
}

// The system gives up waiting for the tap while it holds back the key typed
// after a wrong word: the key reaches TextEdit behind the word, where the
// correction would erase it in place of the word's first letter. The
// correction learns of it before it erases anything and does not run, the
// key is not typed a second time, and the Space it swallowed comes last:
// every key on screen once, none erased.
TEST(EventTap, AHeldKeyThatGotThroughAtATimeOutIsNeitherErasedNorTypedAgain) {
  BridgeRig rig;
  App* app = rig.app.get();
  sim::Desktop& desktop = rig.desktop;
  // The notice of the time-out waits for the tap's thread, which gives the
  // worker every chance to begin erasing meanwhile.
  outlastTheTapAt(rig, U'k', "ghbdtnk");
  {
    // The correction starts only once k is held and has got through.
    const std::lock_guard worker(replaceMu);
    rig.desktop.typeAsPerson("ghbdtn k", kQuick);
    ASSERT_TRUE(eventually([&] { return desktop.taps().at(0).timeouts == 1; }));
  }
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.text(), "ghbdtnk ");
  EXPECT_FALSE(app->isBusy());
}

// The system gives up waiting for the tap at the first letter of "xvbh":
// the context goes with it, and the rest, "vbh", reads as "мир" on its own.
// Corrected, it would leave the "x" in front: the word is left as typed, and
// the next one is corrected again.
TEST(EventTap, AWordCutByATimeOutIsLeftAsTyped) {
  BridgeRig rig;
  App* app = rig.app.get();
  outlastTheTapAt(rig, U'x');
  rig.desktop.typeAsPerson("x", kQuick);
  ASSERT_TRUE(rig.idle());
  setKeyHandler([app](uint16_t k, char32_t c, int64_t f, std::u16string_view t) {
    return app->onKeyEvent(k, c, f, t);
  });
  rig.desktop.typeAsPerson("vbh ", kQuick);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.text(), "xvbh ");
  rig.desktop.typeAsPerson("vbh ", kQuick);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.text(), "xvbh мир ");
}

// A key of a correction posted just before another application came to the
// front, still on its way to the tap: the tap drops it, so that the
// application now in front gets nothing of the correction.
TEST(EventTap, AKeyOfACorrectionStillOnItsWayAtASwitchIsDropped) {
  BridgeRig rig;
  rig.desktop.setField(kNotes, {.text = "shopping list", .caret = 13});
  rig.desktop.setField(kTextEdit, {.text = "да", .caret = 2});
  std::mutex mu;
  std::condition_variable cv;
  bool dawdling = false;
  bool go = false;
  App* app = rig.app.get();
  setKeyHandler([&, app](uint16_t k, char32_t c, int64_t f, std::u16string_view t) {
    if (k == key::kShift && f != 0) {
      std::unique_lock lock(mu);
      dawdling = true;
      cv.notify_all();
      cv.wait(lock, [&] { return go; });
    }
    return app->onKeyEvent(k, c, f, t);
  });
  rig.desktop.tapModifier(key::kShift);  // the tap dawdles on it
  {
    std::unique_lock lock(mu);
    ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(10), [&] { return dawdling; }));
  }
  int pauses = 0;
  const Status done = replaceText(2, "", kTextEdit, [&](std::chrono::milliseconds) {
    if (++pauses != 1) return;
    // The first Backspace waits behind the Shift key.
    rig.desktop.activate(kNotes);
    const std::lock_guard lock(mu);
    go = true;
    cv.notify_all();
  });
  EXPECT_FALSE(done.ok());
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.desktop.text(kNotes), "shopping list");
  EXPECT_EQ(rig.text(), "да");
}

// The person takes the permission away while the system has the tap off
// for a slow callback: taken back without it, the tap would hold up the
// whole session again. It stays off, the key goes on, and the tap is told
// unfit to run until it has been stopped and started afresh.
TEST(EventTap, ATapTheSystemDisabledIsNotTakenBackWithoutThePermission) {
  BridgeRig rig;
  LogCapture log;
  rig.desktop.setTapTimeout(std::chrono::milliseconds(50));
  rig.desktop.setTrusted(false);
  rig.desktop.typeAsPerson("a", kQuick);  // held up at the tap until the system gives up
  ASSERT_TRUE(eventually([&] { return rig.text() == "a"; }));
  ASSERT_TRUE(rig.idle());
  EXPECT_FALSE(rig.desktop.taps().at(0).enabled);
  EXPECT_FALSE(log.contains("re-enabled")) << log.text();
  EXPECT_FALSE(checkHookHealth().ok());

  rig.desktop.setTrusted(true);
  EXPECT_FALSE(checkHookHealth().ok());  // still off: only a new start brings it back
  stopHook();
  EXPECT_TRUE(rig.desktop.taps().empty());
  ASSERT_TRUE(startHook().ok());
  EXPECT_TRUE(checkHookHealth().ok());
  rig.desktop.setField(kTextEdit, {});
  rig.desktop.typeAsPerson("привет ", kQuick);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.text(), "привет ");
}

// The permission goes while a correction is being typed and a key waits
// behind it. What the program posts from then on goes nowhere: the
// correction stops without switching the source under the person, the held
// key is not posted into nothing but dropped, counted and told once, and
// what the person types after the tap left the path reaches TextEdit as
// typed.
TEST(EventTap, ThePermissionGoneMidCorrectionDropsTheHeldKeyAndTellsIt) {
  TypingGate gate;
  BridgeRig rig(trustedDesktop(), gate.wrap(bridgeAppOps()));
  LogCapture log;
  metricQueueDrops.store(0);
  rig.watchBusy(false);
  rig.desktop.typeAsPerson("ghbdtn k", kQuick);
  ASSERT_TRUE(gate.waitEntered());
  ASSERT_TRUE(rig.idle());  // k is held
  rig.desktop.setTrusted(false);
  stopHook();  // as the hook control does within its next look
  rig.app->inputPathLost();
  rig.desktop.typeAsPerson(" ok", kQuick);
  ASSERT_TRUE(eventually([&] { return rig.text() == "ghbdtn ok"; })) << rig.text();
  gate.letGo();
  ASSERT_TRUE(eventually([&] { return !rig.app->isBusy(); }));
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.text(), "ghbdtn ok");
  EXPECT_EQ(rig.desktop.currentInputSource(), kUS);
  EXPECT_EQ(metricQueueDrops.load(), 1u);
  EXPECT_EQ(log.messages(),
            (std::vector<std::string>{
                "REPLACE STOPPED: the permission to type was taken away, erased 0 of 6, typed 0 "
                "of 7",
                "Held input dropped without the permission to type it: 1"}));
  rig.desktop.setTrusted(true);
}

TEST(EventTap, AFailingKeyHandlerIsLoggedWithItsStackAndTheKeyPasses) {
  const std::vector<std::pair<std::function<void()>, std::string>> cases = {
      {[] { throw std::runtime_error("handler broke"); }, "PANIC in goKeyCallback: handler broke"},
      {[] { throw 42; }, "PANIC in goKeyCallback: exception of type int"},
  };
  BridgeRig rig;
  for (const auto& c : cases) {
    LogCapture log;
    setKeyHandler([&c](uint16_t, char32_t, int64_t, std::u16string_view) -> bool {
      c.first();
      return true;
    });
    rig.desktop.setField(kTextEdit, {});
    rig.desktop.typeAsPerson("x", kQuick);
    ASSERT_TRUE(rig.idle());
    EXPECT_EQ(rig.text(), "x");
    const std::vector<std::string> lines = log.messages();
    ASSERT_GE(lines.size(), 2u);  // the tap thread's stack follows, one frame a line
    EXPECT_EQ(lines[0], c.second);
    EXPECT_TRUE(log.contains("goKeyCallback")) << log.text();
  }
}

TEST(EventTap, EveryMouseCopyIsFreedExactlyOnce) {
  struct Case {
    bool publish;
    bool busy;
    Act act;
    std::vector<os::EventType> reached;  // mouse events at the application, in order
    int64_t userData;                    // the replayed ones are the program's own
  };
  const Act click = [](sim::Desktop& d) { d.clickAtCaret(0); };
  const std::vector<os::EventType> clicked = {os::kEventLeftMouseDown, os::kEventLeftMouseUp};
  const std::vector<Case> cases = {
      {true, false, click, clicked, 0},   // the pipeline answers 0
      {false, false, click, clicked, 0},  // no App published
      {true,
       true,
       [](sim::Desktop& d) {
         d.drag({0, 0}, {20, 0});
         d.rightClick({3, 0});
         d.mouseMove({7, 7});  // the gate is on
       },
       {os::kEventLeftMouseDown, os::kEventLeftMouseDragged, os::kEventLeftMouseUp,
        os::kEventRightMouseDown, os::kEventRightMouseUp, os::kEventMouseMoved},
       syntheticEventMarker},
  };
  for (const Case& c : cases) {
    TypingGate gate;
    BridgeRig rig(trustedDesktop(), gate.wrap(bridgeAppOps()));
    if (!c.publish) setTrayApp(nullptr);
    // While the correction waits at the gate, only the desktop can become quiet.
    rig.watchBusy(false);
    if (c.busy) {
      rig.desktop.typeAsPerson("привет ", kQuick);
      ASSERT_TRUE(gate.waitEntered());
      ASSERT_TRUE(rig.idle());
    }
    const size_t before = rig.desktop.arrivals(kTextEdit).size();
    c.act(rig.desktop);
    ASSERT_TRUE(rig.idle());
    if (c.busy) {
      EXPECT_EQ(rig.desktop.arrivals(kTextEdit).size(), before);  // held
    }
    rig.watchBusy(true);
    gate.letGo();
    ASSERT_TRUE(rig.idle());
    const std::vector<sim::Arrival> arrivals = rig.desktop.arrivals(kTextEdit);
    std::vector<os::EventType> mouse;
    for (size_t i = before; i < arrivals.size(); ++i) {
      if (arrivals[i].type == os::kEventKeyDown || arrivals[i].type == os::kEventKeyUp) continue;
      mouse.push_back(arrivals[i].type);
      EXPECT_EQ(arrivals[i].userData, c.userData);
    }
    EXPECT_EQ(mouse, c.reached);
    EXPECT_EQ(rig.desktop.liveProgramEvents(), 0);
  }
}

TEST(EventTap, TheKeyPathAllocatesNothing) {
  BridgeRig rig;
  const auto makeKey = [](uint16_t keycode, bool down, const char16_t* text) {
    os::Event* e = os::eventCreateKeyboardEvent(nullptr, keycode, down);
    if (text != nullptr) os::eventKeyboardSetUnicodeString(e, 1, text);
    return e;
  };
  os::Event* letter = makeKey(key::kA, true, u"a");
  os::Event* up = makeKey(key::kA, false, nullptr);
  os::Event* shift = makeKey(key::kShift, true, nullptr);
  os::Event* space = makeKey(key::kSpace, true, u" ");
  // What the tap thread runs, called on this thread so that its
  // allocations can be counted.
  const auto run = [&] {
    for (int i = 0; i < 20; ++i) {
      EXPECT_EQ(eventTapCallback(nullptr, os::kEventKeyDown, letter, nullptr), letter);
      EXPECT_EQ(eventTapCallback(nullptr, os::kEventKeyUp, up, nullptr), up);
      EXPECT_EQ(eventTapCallback(nullptr, os::kEventFlagsChanged, shift, nullptr), shift);
      EXPECT_EQ(eventTapCallback(nullptr, os::kEventMouseMoved, shift, nullptr), shift);
    }
  };
  run();  // the word buffer has its room by now
  uint64_t before = allocationsOnThisThread();
  run();
  EXPECT_EQ(allocationsOnThisThread() - before, 0u);
  // A word end is the pipeline's decision, which does allocate: the counter counts.
  before = allocationsOnThisThread();
  EXPECT_EQ(eventTapCallback(nullptr, os::kEventKeyDown, space, nullptr), space);
  EXPECT_GT(allocationsOnThisThread() - before, 0u);
  for (os::Event* e : {letter, up, shift, space}) os::release(e);
}

}  // namespace
}  // namespace vyx::testing
