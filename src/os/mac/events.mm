// Keyboard and mouse events (events.h): an Event is a CGEventRef, an
// EventSource a CGEventSourceRef, each released once by whoever made it.
#include "os/events.h"

#import <CoreGraphics/CoreGraphics.h>

#include <algorithm>

namespace vyx::os {

namespace {

CGEventRef cg(Event* event) {
  return reinterpret_cast<CGEventRef>(event);
}

Event* seam(CGEventRef event) {
  return reinterpret_cast<Event*>(event);
}

}  // namespace

void release(Event* event) {
  if (event != nullptr) CFRelease(cg(event));
}

void release(EventSource* source) {
  if (source != nullptr) CFRelease(reinterpret_cast<CGEventSourceRef>(source));
}

EventSource* eventSourceCreate(EventSourceStateID state) {
  return reinterpret_cast<EventSource*>(
      CGEventSourceCreate(static_cast<CGEventSourceStateID>(state)));
}

Event* eventCreateKeyboardEvent(EventSource* source, uint16_t keycode, bool keyDown) {
  return seam(CGEventCreateKeyboardEvent(reinterpret_cast<CGEventSourceRef>(source),
                                         static_cast<CGKeyCode>(keycode), keyDown));
}

Event* eventCreateCopy(Event* event) {
  return seam(CGEventCreateCopy(cg(event)));
}

EventType eventGetType(Event* event) {
  return static_cast<EventType>(CGEventGetType(cg(event)));
}

int64_t eventGetIntegerValueField(Event* event, EventField field) {
  return CGEventGetIntegerValueField(cg(event), static_cast<CGEventField>(field));
}

void eventSetIntegerValueField(Event* event, EventField field, int64_t value) {
  CGEventSetIntegerValueField(cg(event), static_cast<CGEventField>(field), value);
}

EventFlags eventGetFlags(Event* event) {
  return static_cast<EventFlags>(CGEventGetFlags(cg(event)));
}

void eventSetFlags(Event* event, EventFlags flags) {
  CGEventSetFlags(cg(event), static_cast<CGEventFlags>(flags));
}

// UniChar and char16_t are both one UTF-16 unit. The system reports the
// text's whole length, which may exceed what it copied into the buffer.
void eventKeyboardGetUnicodeString(Event* event, size_t maxLength, size_t* actualLength,
                                   char16_t* buffer) {
  UniCharCount length = 0;
  CGEventKeyboardGetUnicodeString(cg(event), maxLength, &length,
                                  reinterpret_cast<UniChar*>(buffer));
  *actualLength = std::min<size_t>(length, maxLength);
}

void eventKeyboardSetUnicodeString(Event* event, size_t length, const char16_t* text) {
  CGEventKeyboardSetUnicodeString(cg(event), length, reinterpret_cast<const UniChar*>(text));
}

void eventPost(EventTapLocation location, Event* event) {
  CGEventPost(static_cast<CGEventTapLocation>(location), cg(event));
}

}  // namespace vyx::os
