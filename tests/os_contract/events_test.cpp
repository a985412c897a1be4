// Events as any binding must keep them: the fields, flags and text a caller
// sets read back unchanged, and a copy is an event of its own.
#include <gtest/gtest.h>

#include <string>

#include "contract_machine.h"
#include "os/events.h"
#include "os/handle.h"
#include "support/tap_thread.h"

namespace vyx::os::testing {
namespace {

constexpr int64_t kMarker = 186778917;
constexpr uint16_t kBackspace = 51;

TEST(EventsContract, KeyEventsKeepTheirTypeFieldsFlagsAndText) {
  ContractMachine machine;
  const Ref<EventSource> source = adopt(eventSourceCreate(kEventSourceStatePrivate));
  ASSERT_NE(source, nullptr);
  for (const bool keyDown : {true, false}) {
    SCOPED_TRACE(keyDown ? "key down" : "key up");
    const Ref<Event> event = adopt(eventCreateKeyboardEvent(source.get(), kBackspace, keyDown));
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(eventGetType(event.get()), keyDown ? kEventKeyDown : kEventKeyUp);
    EXPECT_EQ(eventGetIntegerValueField(event.get(), kKeyboardEventKeycode), kBackspace);
    eventSetIntegerValueField(event.get(), kEventSourceUserData, kMarker);
    EXPECT_EQ(eventGetIntegerValueField(event.get(), kEventSourceUserData), kMarker);
    const EventFlags flags = kEventFlagMaskCommand | kEventFlagMaskShift;
    eventSetFlags(event.get(), flags);
    EXPECT_EQ(eventGetFlags(event.get()), flags);
    // One UTF-16 unit per character, Cyrillic as it is.
    eventKeyboardSetUnicodeString(event.get(), 2, u"дz");
    EXPECT_EQ(eventText(event.get()), u"дz");
    char16_t first = 0;
    size_t length = 0;
    eventKeyboardGetUnicodeString(event.get(), 1, &length, &first);
    EXPECT_EQ(length, 1U);
    EXPECT_EQ(first, u'д');
  }
}

TEST(EventsContract, ACopyIsAnEventOfItsOwn) {
  ContractMachine machine;
  const Ref<Event> original = adopt(eventCreateKeyboardEvent(nullptr, kBackspace, true));
  ASSERT_NE(original, nullptr);
  eventKeyboardSetUnicodeString(original.get(), 1, u"a");
  eventSetFlags(original.get(), kEventFlagMaskShift);
  const Ref<Event> copy = adopt(eventCreateCopy(original.get()));
  ASSERT_NE(copy, nullptr);
  eventKeyboardSetUnicodeString(original.get(), 1, u"b");
  eventSetFlags(original.get(), kEventFlagMaskControl);
  eventSetIntegerValueField(original.get(), kEventSourceUserData, kMarker);
  EXPECT_EQ(eventText(copy.get()), u"a");
  EXPECT_EQ(eventGetFlags(copy.get()), kEventFlagMaskShift);
  EXPECT_EQ(eventGetIntegerValueField(copy.get(), kKeyboardEventKeycode), kBackspace);
  EXPECT_EQ(eventGetIntegerValueField(copy.get(), kEventSourceUserData), 0);
  EXPECT_EQ(eventGetType(copy.get()), kEventKeyDown);
}

}  // namespace
}  // namespace vyx::os::testing
