// The event tap as the person's input meets it: what reaches the key
// handler, what passes untouched, the system disabling a slow tap, the
// catch-alls, who frees each mouse copy, and a key path without allocations.
#include <gtest/gtest.h>

#include <mutex>
#include <stdexcept>
#include <thread>
#include <tuple>
#include <vector>

#include "alloc_counter.h"
#include "bridge_rig.h"
#include "log/metrics.h"
#include "support/log_capture.h"

namespace vyx::testing {
namespace {

using KeyCall = std::tuple<uint16_t, char32_t, int64_t>;

// Records what the key handler is called with; lets every key pass.
class KeyCalls final {
 public:
  void install() {
    setKeyHandler([this](uint16_t k, char32_t c, int64_t f) {
      const std::lock_guard lock(mu_);
      calls_.emplace_back(k, c, f);
      return false;
    });
  }
  std::vector<KeyCall> take() {
    const std::lock_guard lock(mu_);
    return std::exchange(calls_, {});
  }

 private:
  std::mutex mu_;
  std::vector<KeyCall> calls_;
};

constexpr int64_t kShiftDown = 0x20000 | 0x2 | 0x100;  // Shift, left device bit, non-coalesced
constexpr int64_t kNoFlags = 0x100;

struct RouteCase {
  const char* what;
  std::function<void(sim::Desktop&)> act;
  std::vector<KeyCall> calls;
  uint64_t tapSees;  // events offered to the tap
};

TEST(EventTap, RoutesEachKindOfEventAsTheMaskAndTheMarkerSay) {
  const std::vector<RouteCase> cases = {
      {"own marked key",
       [](sim::Desktop& d) { d.postKeyEvent(true, 0, 0, u"a", 186778917); },
       {},
       1},
      {"another process's key",
       [](sim::Desktop& d) { d.postKeyEvent(true, 0, 0, u"a", 186778918); },
       {{0, U'a', 0}},
       1},
      {"key without text",
       [](sim::Desktop& d) { d.postKeyEvent(true, 0, 0, u"", 0); },
       {{0, 0, 0}},
       1},
      {"left Shift alone",
       [](sim::Desktop& d) { d.tapModifier(56); },
       {{56, 0, kShiftDown}, {56, 0, kNoFlags}},
       2},
      {"a letter and its key-up", [](sim::Desktop& d) { d.press(0); }, {{0, U'a', kNoFlags}}, 2},
      {"scroll wheel", [](sim::Desktop& d) { d.scrollWheel(3); }, {}, 0},
      {"pointer move, gate off",
       [](sim::Desktop& d) {
         d.mouseMove({5, 5});
       },
       {},
       1},
  };
  BridgeRig rig;
  KeyCalls calls;
  calls.install();
  for (const RouteCase& c : cases) {
    SCOPED_TRACE(c.what);
    const uint64_t seen = rig.desktop.taps().at(0).eventsSeen;
    const size_t arrived = rig.desktop.arrivals(kTextEdit).size();
    c.act(rig.desktop);
    ASSERT_TRUE(rig.idle());
    EXPECT_EQ(calls.take(), c.calls);
    EXPECT_EQ(rig.desktop.taps().at(0).eventsSeen - seen, c.tapSees);
    // Nothing was dropped: the handler let every key pass.
    EXPECT_EQ(rig.desktop.arrivals(kTextEdit).size() - arrived, c.tapSees == 0 ? 1 : c.tapSees);
  }
  EXPECT_EQ(rig.desktop.taps().at(0).mask, 0x0E001CFEu);
}

TEST(EventTap, ASlowCallbackGetsTheTapReenabledCountedAndTheContextInvalidated) {
  BridgeRig rig;
  LogCapture log;
  metricTapTimeouts.store(0);
  rig.desktop.setTapTimeout(std::chrono::milliseconds(50));
  App* app = rig.app.get();
  setKeyHandler([app](uint16_t k, char32_t c, int64_t f) {
    if (c == U'q') std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return app->onKeyEvent(k, c, f);
  });
  rig.desktop.typeAsPerson("ghb", kQuick);
  ASSERT_TRUE(rig.idle());
  ASSERT_EQ(rig.app->buffer().CurrentWord(), "ghb");
  const uint64_t generation = rig.app->generation();

  rig.desktop.typeAsPerson("q", kQuick);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.desktop.taps().at(0).timeouts, 1u);
  EXPECT_TRUE(rig.desktop.taps().at(0).enabled);
  EXPECT_EQ(rig.app->generation(), generation + 1);
  EXPECT_EQ(rig.app->buffer().CurrentWord(), "");

  rig.desktop.disableTapsByUserInput();
  ASSERT_TRUE(rig.idle());
  EXPECT_TRUE(rig.desktop.taps().at(0).enabled);
  EXPECT_EQ(rig.app->generation(), generation + 2);
  EXPECT_EQ(log.messages(),
            (std::vector<std::string>{"event tap re-enabled (timeout), total=1",
                                      "event tap re-enabled (user input), total=2"}));
  EXPECT_EQ(metricTapTimeouts.load(), 2u);
  // The tap still works: the next key reaches the pipeline.
  rig.desktop.typeAsPerson("a", kQuick);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.app->buffer().CurrentWord(), "a");
}

TEST(EventTap, AFailingKeyHandlerIsLoggedWithItsStackAndTheKeyPasses) {
  struct Case {
    std::function<void()> fail;
    std::string line;
  };
  const std::vector<Case> cases = {
      {[] { throw std::runtime_error("handler broke"); }, "PANIC in goKeyCallback: handler broke"},
      {[] { throw 42; }, "PANIC in goKeyCallback: exception of type int"},
  };
  BridgeRig rig;
  std::string typed;
  for (const Case& c : cases) {
    LogCapture log;
    setKeyHandler([&](uint16_t, char32_t, int64_t) -> bool {
      c.fail();
      return true;
    });
    rig.desktop.typeAsPerson("x", kQuick);
    ASSERT_TRUE(rig.idle());
    typed += "x";
    EXPECT_EQ(rig.text(), typed);
    const std::vector<std::string> lines = log.messages();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], c.line);
    // The stack of the tap thread follows, one frame a line, the callback among them.
    EXPECT_TRUE(log.contains("goKeyCallback")) << log.text();
  }
}

// Each way a mouse copy can go, and nothing left alive after it.
TEST(EventTap, EveryMouseCopyIsFreedExactlyOnce) {
  struct Case {
    const char* what;
    bool publish;
    bool busy;
    std::function<void(sim::Desktop&)> act;
    std::vector<os::EventType> reached;  // mouse events at the application, in order
    int64_t userData;  // of the events that reached the application: replayed ones are marked
  };
  const std::vector<Case> cases = {
      {"pipeline answers 0", true, false, [](sim::Desktop& d) { d.clickAtCaret(0); }, {1, 2}, 0},
      {"App not published", false, false, [](sim::Desktop& d) { d.clickAtCaret(0); }, {1, 2}, 0},
      {"held and replayed",
       true,
       true,
       [](sim::Desktop& d) {
         d.clickAtCaret(0);
         d.drag({0, 0}, {20, 0});
         d.rightClick({3, 0});
         d.mouseMove({7, 7});
       },
       {1, 2, 1, 6, 2, 3, 4, 5},
       186778917},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TypingGate gate;
    BridgeRig rig(trustedDesktop(), gate.wrap(bridgeAppOps()));
    if (!c.publish) setTrayApp(nullptr);
    // While the correction waits at the gate, only the desktop can become quiet.
    rig.watchBusy(!c.busy);
    if (c.busy) {
      rig.desktop.typeAsPerson("привет ", kQuick);
      ASSERT_TRUE(gate.waitEntered());
      ASSERT_TRUE(rig.idle());
    }
    const size_t before = rig.desktop.arrivals(kTextEdit).size();
    c.act(rig.desktop);
    ASSERT_TRUE(rig.idle());
    // Held ones have not reached the application yet.
    if (c.busy) {
      EXPECT_EQ(rig.desktop.arrivals(kTextEdit).size(), before);
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
  const auto key = [](os::EventType type, uint16_t keycode, const char16_t* text) {
    os::Event* e = os::eventCreateKeyboardEvent(nullptr, keycode, type != os::kEventKeyUp);
    if (text != nullptr) os::eventKeyboardSetUnicodeString(e, 1, text);
    return e;
  };
  // What the tap thread runs for a letter, its key-up and a Shift, called here
  // so that this thread's allocations can be counted.
  os::Event* letter = key(os::kEventKeyDown, 0, u"a");
  os::Event* up = key(os::kEventKeyUp, 0, nullptr);
  os::Event* shift = key(os::kEventKeyDown, 56, nullptr);
  const auto run = [&] {
    for (int i = 0; i < 20; ++i) {
      EXPECT_EQ(eventTapCallback(nullptr, os::kEventKeyDown, letter, nullptr), letter);
      EXPECT_EQ(eventTapCallback(nullptr, os::kEventKeyUp, up, nullptr), up);
      EXPECT_EQ(eventTapCallback(nullptr, os::kEventFlagsChanged, shift, nullptr), shift);
      EXPECT_EQ(eventTapCallback(nullptr, os::kEventMouseMoved, shift, nullptr), shift);
    }
  };
  run();  // the word buffer has its room by now
  const uint64_t before = allocationsOnThisThread();
  run();
  EXPECT_EQ(allocationsOnThisThread() - before, 0u);
  EXPECT_EQ(rig.app->buffer().CurrentWord().size(), 40u);
  for (os::Event* e : {letter, up, shift}) os::release(e);
}

}  // namespace
}  // namespace vyx::testing
