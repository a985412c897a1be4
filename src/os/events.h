// Keyboard and mouse events of the window server: reading and writing their
// fields, copying them, and posting new ones.
//
// Threads: every function may be called from any thread. An event is used by
// one thread at a time; the window server keeps its own reference while an
// event is in flight.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vyx::os {

struct Event;        // one key or mouse event
struct EventSource;  // where posted events say they come from

void release(Event* event);
void release(EventSource* source);

using EventType = uint32_t;
inline constexpr EventType kEventNull = 0;
inline constexpr EventType kEventLeftMouseDown = 1;
inline constexpr EventType kEventLeftMouseUp = 2;
inline constexpr EventType kEventRightMouseDown = 3;
inline constexpr EventType kEventRightMouseUp = 4;
inline constexpr EventType kEventMouseMoved = 5;
inline constexpr EventType kEventLeftMouseDragged = 6;
inline constexpr EventType kEventRightMouseDragged = 7;
inline constexpr EventType kEventKeyDown = 10;
inline constexpr EventType kEventKeyUp = 11;
inline constexpr EventType kEventFlagsChanged = 12;
inline constexpr EventType kEventScrollWheel = 22;
inline constexpr EventType kEventOtherMouseDown = 25;
inline constexpr EventType kEventOtherMouseUp = 26;
inline constexpr EventType kEventOtherMouseDragged = 27;
// Delivered to a tap's callback, never posted: the system turned the tap off.
inline constexpr EventType kEventTapDisabledByTimeout = 0xFFFFFFFE;
inline constexpr EventType kEventTapDisabledByUserInput = 0xFFFFFFFF;

using EventField = uint32_t;
inline constexpr EventField kKeyboardEventKeycode = 9;
inline constexpr EventField kEventSourceUserData = 42;

using EventFlags = uint64_t;
inline constexpr EventFlags kEventFlagMaskAlphaShift = 0x10000;  // Caps Lock
inline constexpr EventFlags kEventFlagMaskShift = 0x20000;
inline constexpr EventFlags kEventFlagMaskControl = 0x40000;
inline constexpr EventFlags kEventFlagMaskAlternate = 0x80000;  // Option
inline constexpr EventFlags kEventFlagMaskCommand = 0x100000;
inline constexpr EventFlags kEventFlagMaskNumericPad = 0x200000;
inline constexpr EventFlags kEventFlagMaskSecondaryFn = 0x800000;
inline constexpr EventFlags kEventFlagMaskNonCoalesced = 0x100;

using EventSourceStateID = int32_t;
inline constexpr EventSourceStateID kEventSourceStatePrivate = -1;
inline constexpr EventSourceStateID kEventSourceStateCombinedSession = 0;
inline constexpr EventSourceStateID kEventSourceStateHIDSystem = 1;

using EventTapLocation = uint32_t;
inline constexpr EventTapLocation kHIDEventTap = 0;
inline constexpr EventTapLocation kSessionEventTap = 1;
inline constexpr EventTapLocation kAnnotatedSessionEventTap = 2;

// Null on failure.
[[nodiscard]] EventSource* eventSourceCreate(EventSourceStateID state);
// A key-down (keyDown true) or key-up for a virtual key code, without
// flags; its text is what the key gives on the selected input source until
// the caller sets another.
[[nodiscard]] Event* eventCreateKeyboardEvent(EventSource* source, uint16_t keycode, bool keyDown);
// An independent copy, owned by the caller; null on failure.
[[nodiscard]] Event* eventCreateCopy(Event* event);

[[nodiscard]] EventType eventGetType(Event* event);
[[nodiscard]] int64_t eventGetIntegerValueField(Event* event, EventField field);
void eventSetIntegerValueField(Event* event, EventField field, int64_t value);
[[nodiscard]] EventFlags eventGetFlags(Event* event);
void eventSetFlags(Event* event, EventFlags flags);

// Copies at most maxLength UTF-16 units of the event's text into buffer and
// stores how many it copied in *actualLength.
void eventKeyboardGetUnicodeString(Event* event, size_t maxLength, size_t* actualLength,
                                   char16_t* buffer);
void eventKeyboardSetUnicodeString(Event* event, size_t length, const char16_t* text);

// Hands the event to the window server at the given location; it goes on
// asynchronously. The caller keeps its reference.
void eventPost(EventTapLocation location, Event* event);

}  // namespace vyx::os
