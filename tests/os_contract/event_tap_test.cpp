// An event tap as any binding must serve it: on its thread's run loop,
// turned off and on, seeing the program's own marked posts, and left when
// that loop is stopped. Tapping and posting need the Accessibility
// permission; without it these tests are skipped.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "contract_machine.h"
#include "os/event_tap.h"
#include "os/events.h"
#include "os/handle.h"
#include "support/tap_thread.h"

namespace vyx::os::testing {
namespace {

constexpr int64_t kMarker = 186778917;
constexpr uint16_t kF13 = 105;  // a key no application acts on when it is let go

TEST(EventTapContract, ATapTurnsOffAndOnAndSeesTheProgramsOwnPosts) {
  ContractMachine machine;
  if (const std::string why = machine.withoutTrust(); !why.empty()) GTEST_SKIP() << why;
  std::atomic<int> marked{0};
  TapThread tap(
      [&](EventType type, Event* event) {
        if (type == kEventKeyUp &&
            eventGetIntegerValueField(event, kEventSourceUserData) == kMarker) {
          ++marked;
        }
        return event;
      },
      eventMaskBit(kEventKeyUp), kHeadInsertEventTap, kEventTapOptionListenOnly);
  ASSERT_NE(tap.tap(), nullptr);
  EXPECT_TRUE(eventTapIsEnabled(tap.tap()));
  eventTapEnable(tap.tap(), false);
  EXPECT_FALSE(eventTapIsEnabled(tap.tap()));
  eventTapEnable(tap.tap(), true);
  EXPECT_TRUE(eventTapIsEnabled(tap.tap()));

  const Ref<EventSource> source = adopt(eventSourceCreate(kEventSourceStatePrivate));
  const Ref<Event> release = adopt(eventCreateKeyboardEvent(source.get(), kF13, false));
  eventSetIntegerValueField(release.get(), kEventSourceUserData, kMarker);
  eventPost(kHIDEventTap, release.get());
  EXPECT_TRUE(eventually([&] { return marked.load() == 1; }));
}

TEST(EventTapContract, AStoppedRunLoopReturnsAndItsSourceWasHeld) {
  ContractMachine machine;
  if (const std::string why = machine.withoutTrust(); !why.empty()) GTEST_SKIP() << why;
  auto pass = [](void*, EventType, Event* event, void*) { return event; };
  EventTap* tap = eventTapCreate(kSessionEventTap, kHeadInsertEventTap, kEventTapOptionListenOnly,
                                 eventMaskBit(kEventKeyUp), pass, nullptr);
  ASSERT_NE(tap, nullptr);
  RunLoopSource* source = machPortCreateRunLoopSource(tap, 0);
  ASSERT_NE(source, nullptr);
  std::atomic<RunLoop*> loop{nullptr};
  std::atomic<bool> held{false};
  std::atomic<bool> returned{false};
  std::thread thread([&] {
    RunLoop* current = runLoopGetCurrent();
    runLoopAddSource(current, source, kRunLoopCommonModes);
    held = runLoopContainsSource(current, source, kRunLoopCommonModes);
    eventTapEnable(tap, true);
    loop = current;
    runLoopRun();
    returned = true;
  });
  // A stop reaches only a loop that runs: repeated until the thread is out.
  EXPECT_TRUE(eventually([&] {
    if (RunLoop* l = loop.load()) runLoopStop(l);
    return returned.load();
  }));
  thread.join();
  EXPECT_TRUE(held);
  eventTapEnable(tap, false);
  release(source);
  release(tap);
}

}  // namespace
}  // namespace vyx::os::testing
