// Events through the window server and the taps: what a callback may do to
// an event, the mask, order, the system disabling a tap, and the events the
// program makes.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "os/handle.h"
#include "os/sim/desktop.h"
#include "os/sim/key_codes.h"
#include "support/tap_thread.h"

namespace vyx::os::sim {
namespace {

using testing::eventText;
using testing::eventually;
using testing::TapThread;

constexpr int64_t kMarker = 186778917;
constexpr auto kApp = "com.apple.TextEdit";
constexpr TypeOptions kFast{std::chrono::milliseconds(0)};

DesktopOptions trustedOptions() {
  DesktopOptions options;
  options.trusted = true;
  return options;
}

bool idle(Desktop& d) {
  return d.waitIdle(std::chrono::seconds(10), std::chrono::milliseconds(0));
}

// What the callback saw, read by the test thread.
class Log {
 public:
  void add(EventType type, const std::u16string& text = {}, int64_t userData = 0) {
    const std::lock_guard lock(mu_);
    types_.push_back(type);
    texts_ += text;
    userData_.push_back(userData);
  }
  std::vector<EventType> types() const {
    const std::lock_guard lock(mu_);
    return types_;
  }
  std::u16string texts() const {
    const std::lock_guard lock(mu_);
    return texts_;
  }
  std::vector<int64_t> userData() const {
    const std::lock_guard lock(mu_);
    return userData_;
  }

 private:
  mutable std::mutex mu_;
  std::vector<EventType> types_;
  std::u16string texts_;
  std::vector<int64_t> userData_;
};

TEST(EventTap, CallbackPassesDropsModifiesOrReplacesAndSeesTheMarker) {
  Desktop desktop(trustedOptions());
  Log log;
  TapThread tap([&](EventType type, Event* e) -> Event* {
    if (type != kEventKeyDown) return e;
    const std::u16string text = eventText(e);
    log.add(type, text, eventGetIntegerValueField(e, kEventSourceUserData));
    if (text == u"x") return nullptr;
    if (text == u"a") {
      eventKeyboardSetUnicodeString(e, 1, u"b");
      return e;
    }
    if (text == u"q") {
      Event* other = eventCreateKeyboardEvent(nullptr, key::kQ, true);
      eventKeyboardSetUnicodeString(other, 2, u"QQ");
      return other;  // the system takes it over
    }
    return e;
  });
  desktop.typeAsPerson("axqz", kFast);
  // The program's own post, marked, passes the tap like the person's keys.
  auto source = adopt(eventSourceCreate(kEventSourceStatePrivate));
  auto mine = adopt(eventCreateKeyboardEvent(source.get(), key::kA, true));
  eventKeyboardSetUnicodeString(mine.get(), 1, u"m");
  eventSetIntegerValueField(mine.get(), kEventSourceUserData, kMarker);
  eventPost(kHIDEventTap, mine.get());
  mine.reset();
  ASSERT_TRUE(idle(desktop));
  EXPECT_EQ(desktop.text(kApp), "bQQzm");
  EXPECT_EQ(log.texts(), u"axqzm");
  EXPECT_EQ(log.userData(), (std::vector<int64_t>{0, 0, 0, 0, kMarker}));
  ASSERT_EQ(desktop.programPosts().size(), 1U);
  EXPECT_EQ(desktop.programPosts()[0].userData, kMarker);
  EXPECT_EQ(desktop.liveProgramEvents(), 0);
}

TEST(EventTap, MaskKeepsTheScrollWheelAwayFromTheCallback) {
  Desktop desktop(trustedOptions());
  Log log;
  TapThread tap([&](EventType type, Event* e) {
    log.add(type);
    return e;
  });
  desktop.scrollWheel(3);
  desktop.mouseMove({5, 5});
  desktop.clickAtCaret(0);
  ASSERT_TRUE(idle(desktop));
  EXPECT_EQ(log.types(),
            (std::vector<EventType>{kEventMouseMoved, kEventLeftMouseDown, kEventLeftMouseUp}));
  std::vector<EventType> arrived;
  for (const Arrival& a : desktop.arrivals(kApp)) arrived.push_back(a.type);
  EXPECT_EQ(arrived, (std::vector<EventType>{kEventScrollWheel, kEventMouseMoved,
                                             kEventLeftMouseDown, kEventLeftMouseUp}));
}

TEST(EventTap, ASlowCallbackKeepsEveryEventInOrder) {
  Desktop desktop(trustedOptions());
  Log log;
  TapThread tap([&](EventType type, Event* e) {
    if (type == kEventKeyDown) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      log.add(type, eventText(e));
    }
    return e;
  });
  desktop.typeAsPerson("the quick brown fox", kFast);
  ASSERT_TRUE(idle(desktop));
  EXPECT_EQ(log.texts(), u"the quick brown fox");
  EXPECT_EQ(desktop.text(kApp), "the quick brown fox");
}

TEST(EventTap, SlowCallbackGetsItsTapDisabledAndIsToldOnceFree) {
  DesktopOptions options = trustedOptions();
  options.tapTimeout = std::chrono::milliseconds(20);
  Desktop desktop(options);
  Log log;
  std::atomic<bool> hold{true};
  std::atomic<EventTap*> self{nullptr};
  TapThread tap(
      [&](EventType type, Event* e) -> Event* {
        log.add(type);
        if (type == kEventTapDisabledByTimeout) {
          eventTapEnable(self.load(), true);  // as the program does
          return e;
        }
        if (eventText(e) == u"a") {
          while (hold) std::this_thread::sleep_for(std::chrono::milliseconds(1));
          // The late answer is ignored; the event it returns must not leak.
          return eventCreateKeyboardEvent(nullptr, key::kX, true);
        }
        return e;
      },
      eventMaskBit(kEventKeyDown));
  self = tap.tap();
  desktop.press(key::kA);
  // The event goes on without the tap, which the system turns off.
  ASSERT_TRUE(eventually([&] { return desktop.text(kApp) == "a"; }));
  desktop.setTapTimeout(std::chrono::seconds(10));
  ASSERT_EQ(desktop.taps().size(), 1U);
  EXPECT_FALSE(desktop.taps()[0].enabled);
  EXPECT_EQ(desktop.taps()[0].timeouts, 1U);
  desktop.press(key::kS);  // passes the disabled tap unseen
  ASSERT_TRUE(eventually([&] { return desktop.text(kApp) == "as"; }));
  hold = false;
  ASSERT_TRUE(idle(desktop));
  EXPECT_EQ(log.types(), (std::vector<EventType>{kEventKeyDown, kEventTapDisabledByTimeout}));
  EXPECT_TRUE(desktop.taps()[0].enabled);
  desktop.press(key::kD);
  ASSERT_TRUE(idle(desktop));
  EXPECT_EQ(log.types().size(), 3U);
  EXPECT_EQ(desktop.text(kApp), "asd");
  EXPECT_EQ(desktop.liveProgramEvents(), 0);
}

TEST(EventTap, UserInputDisablesTheTapUntilEnabledAgain) {
  Desktop desktop(trustedOptions());
  Log log;
  TapThread tap([&](EventType type, Event* e) -> Event* {
    log.add(type);
    return type == kEventKeyDown ? nullptr : e;  // swallows every key
  });
  desktop.press(key::kA);
  ASSERT_TRUE(idle(desktop));
  desktop.disableTapsByUserInput();
  desktop.press(key::kS);
  ASSERT_TRUE(idle(desktop));
  EXPECT_EQ(desktop.text(kApp), "s");
  EXPECT_FALSE(desktop.taps()[0].enabled);
  const auto types = log.types();
  EXPECT_NE(std::find(types.begin(), types.end(), kEventTapDisabledByUserInput), types.end());
  eventTapEnable(tap.tap(), true);
  desktop.press(key::kD);
  ASSERT_TRUE(idle(desktop));
  EXPECT_EQ(desktop.text(kApp), "s");
}

TEST(EventTap, CreationNeedsTrustAndTheTapStartsDisabled) {
  struct Case {
    bool trusted;
    bool refuse;
    bool created;
  };
  for (const Case c :
       {Case{false, false, false}, Case{true, true, false}, Case{true, false, true}}) {
    DesktopOptions options;
    options.trusted = c.trusted;
    Desktop desktop(options);
    desktop.refuseTaps(c.refuse);
    auto callback = [](void*, EventType, Event*, void*) -> Event* { return nullptr; };
    EventTap* tap = eventTapCreate(kSessionEventTap, kHeadInsertEventTap, kEventTapOptionDefault,
                                   eventMaskBit(kEventKeyDown), callback, nullptr);
    EXPECT_EQ(tap != nullptr, c.created);
    if (tap == nullptr) continue;
    EXPECT_FALSE(eventTapIsEnabled(tap));
    desktop.press(key::kA);  // a disabled tap drops nothing
    ASSERT_TRUE(idle(desktop));
    EXPECT_EQ(desktop.text(kApp), "a");
  }
}

TEST(EventTap, ProgramEventsAreCopiedPostedAndCountedUntilReleased) {
  Desktop desktop(trustedOptions());  // an untrusted process's posts go nowhere
  Event* made = eventCreateKeyboardEvent(nullptr, key::kBackspace, true);
  EXPECT_EQ(eventText(made), u"\b");  // the layout's text until replaced
  eventKeyboardSetUnicodeString(made, 25, u"abcdefghijklmnopqrstuvwxyz");
  Event* copy = eventCreateCopy(made);
  EXPECT_EQ(desktop.liveProgramEvents(), 2);
  EXPECT_EQ(eventText(copy), u"abcdefgh");  // read back at most eight units here
  size_t n = 0;
  char16_t all[32];
  eventKeyboardGetUnicodeString(copy, 32, &n, all);
  EXPECT_EQ(n, 20U);  // the text holds at most twenty
  eventPost(kHIDEventTap, copy);
  eventPost(kHIDEventTap, copy);  // the caller keeps its event
  release(made);
  release(copy);
  EXPECT_EQ(desktop.liveProgramEvents(), 0);
  ASSERT_TRUE(idle(desktop));
  EXPECT_EQ(desktop.programPosts().size(), 2U);
  EXPECT_EQ(desktop.arrivals(kApp).size(), 2U);
}

// The records a driver times keys with: the person's presses with the text
// each gave at its press, the program's posts, and what reached the
// application, each stamped when it was queued and when it arrived; an event
// a callback answers with in another's place keeps that one's post time.
TEST(EventTap, RecordsTellWhoQueuedWhatAndWhenItArrived) {
  Desktop desktop(trustedOptions());
  TapThread tap([&](EventType type, Event* e) -> Event* {
    if (type != kEventKeyDown || eventText(e) != u"q") return e;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    Event* other = eventCreateKeyboardEvent(nullptr, key::kQ, true);
    eventKeyboardSetUnicodeString(other, 1, u"Q");
    return other;
  });
  desktop.press(key::kQ);
  desktop.selectInputSource("com.apple.keylayout.Russian");
  desktop.press(key::kQ);
  auto mine = adopt(eventCreateKeyboardEvent(nullptr, key::kA, true));
  eventSetIntegerValueField(mine.get(), kEventSourceUserData, kMarker);
  eventPost(kHIDEventTap, mine.get());
  ASSERT_TRUE(idle(desktop));

  std::vector<Arrival> person;
  for (const Arrival& a : desktop.personPosts()) {
    if (a.type == kEventKeyDown) person.push_back(a);
  }
  ASSERT_EQ(person.size(), 2U);
  EXPECT_EQ(person[0].text, u"q");
  EXPECT_EQ(person[1].text, u"й");
  std::vector<Arrival> arrived;
  for (const Arrival& a : desktop.arrivals(kApp)) {
    if (a.type == kEventKeyDown) arrived.push_back(a);
  }
  ASSERT_EQ(arrived.size(), 3U);
  EXPECT_EQ(arrived[0].text, u"Q");
  EXPECT_EQ(arrived[0].postedNs, person[0].postedNs);
  EXPECT_GE(arrived[0].arrivedNs - arrived[0].postedNs, 2'000'000);
  EXPECT_EQ(arrived[1].postedNs, person[1].postedNs);
  ASSERT_EQ(desktop.programPosts().size(), 1U);
  EXPECT_EQ(arrived[2].postedNs, desktop.programPosts()[0].postedNs);
  for (const Arrival& a : arrived) EXPECT_GE(a.arrivedNs, a.postedNs);
  EXPECT_LT(person[0].postedNs, person[1].postedNs);

  desktop.clearRecords();
  EXPECT_TRUE(desktop.personPosts().empty());
  EXPECT_TRUE(desktop.programPosts().empty());
  EXPECT_TRUE(desktop.arrivals(kApp).empty());
}

TEST(EventTapDeathTest, ReleasingTwiceOrUsingAReleasedEventAborts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        Desktop desktop;
        Event* e = eventCreateKeyboardEvent(nullptr, key::kA, true);
        release(e);
        release(e);
      },
      "event released twice");
  EXPECT_DEATH(
      {
        Desktop desktop;
        Event* e = eventCreateKeyboardEvent(nullptr, key::kA, true);
        release(e);
        (void)eventGetType(e);
      },
      "eventGetType on a released event");
  EXPECT_DEATH(
      {
        Desktop desktop;
        int notAnEvent = 0;
        release(reinterpret_cast<Event*>(&notAnEvent));
      },
      "release of an unknown event");
}

// The program's tap thread never leaves runLoopRun by itself; the desktop
// going away must still bring it out.
TEST(EventTap, DestroyingTheDesktopEndsARunningLoop) {
  auto desktop = std::make_unique<Desktop>(trustedOptions());
  std::atomic<bool> served{false};
  std::atomic<bool> returned{false};
  std::thread thread([&] {
    auto callback = [](void*, EventType, Event* e, void* flag) -> Event* {
      static_cast<std::atomic<bool>*>(flag)->store(true);
      return e;
    };
    EventTap* tap = eventTapCreate(kSessionEventTap, kHeadInsertEventTap, kEventTapOptionDefault,
                                   eventMaskBit(kEventKeyDown), callback, &served);
    runLoopAddSource(runLoopGetCurrent(), machPortCreateRunLoopSource(tap, 0), kRunLoopCommonModes);
    eventTapEnable(tap, true);
    runLoopRun();
    returned = true;
  });
  EXPECT_TRUE(eventually([&] {
    const auto taps = desktop->taps();
    return !taps.empty() && taps[0].enabled;
  }));
  desktop->press(key::kA);
  EXPECT_TRUE(eventually([&] { return served.load(); }));
  desktop.reset();
  // Were the loop still running, this would wait for ever.
  EXPECT_TRUE(eventually([&] { return returned.load(); }));
  thread.join();
}

}  // namespace
}  // namespace vyx::os::sim
