// Events and event sources: the store behind them and the events.h calls.
#include <algorithm>
#include <string>

#include "os/events.h"
#include "os/sim/core_state.h"
#include "os/sim/desktop_impl.h"
#include "os/sim/key_layouts.h"

namespace vyx::os::sim {

Arrival arrivalOf(const EventData& data) {
  return {data.type,     static_cast<uint16_t>(data.keycode), data.text, data.flags,
          data.userData, nanosSinceEpoch(data.posted),        0};
}

Event* EventStore::create(EventData data, bool program) {
  auto event = std::make_unique<Event>(std::move(data));
  event->program = program;
  if (program) ++liveProgram_;
  return events_.add(std::move(event));
}

void EventStore::release(Event* event) {
  if (!events_.live(event)) events_.remove(event, "event");  // dies, saying why
  if (--event->refs > 0) return;
  event->alive = false;
  if (event->program) --liveProgram_;
  events_.remove(event, "event");
}

void EventStore::adopt(Event* event) {
  if (!event->program) return;
  event->program = false;
  --liveProgram_;
}

EventSource* EventStore::createSource(EventSourceStateID state) {
  auto source = std::make_unique<EventSource>();
  source->state = state;
  return sources_.add(std::move(source));
}

void requireAlive(const Event* event, const char* operation) {
  if (!event->alive.load()) die(std::string(operation) + " on a released event", event);
}

EventData readEvent(const Event* event) {
  const std::lock_guard lock(event->mu);
  return event->data;
}

}  // namespace vyx::os::sim

namespace vyx::os {

using sim::CoreState;
using sim::currentCore;

namespace {

// Reads or writes an event's data under its own lock, after making sure the
// program did not release it.
template <class F>
auto withEvent(Event* event, const char* operation, F&& f) {
  sim::requireAlive(event, operation);
  const std::lock_guard lock(event->mu);
  return f(event->data);
}

}  // namespace

void release(Event* event) {
  CoreState* core = currentCore();
  if (event == nullptr || core == nullptr) return;
  const std::lock_guard lock(core->mu);
  core->events.release(event);
}

void release(EventSource* source) {
  CoreState* core = currentCore();
  if (source == nullptr || core == nullptr) return;
  const std::lock_guard lock(core->mu);
  core->events.releaseSource(source);
}

EventSource* eventSourceCreate(EventSourceStateID state) {
  CoreState* core = currentCore();
  if (core == nullptr) return nullptr;
  const std::lock_guard lock(core->mu);
  return core->events.createSource(state);
}

// Like a Mac, a new key event already holds the text its key gives on the
// selected input source; the caller may replace it.
Event* eventCreateKeyboardEvent(EventSource* source, uint16_t keycode, bool keyDown) {
  sim::Desktop* desktop = sim::Desktop::current();
  if (desktop == nullptr) return nullptr;
  CoreState& core = desktop->impl().core;
  const std::lock_guard lock(core.mu);
  if (source != nullptr) core.events.requireSource(source);
  sim::EventData data;
  data.type = keyDown ? kEventKeyDown : kEventKeyUp;
  data.keycode = keycode;
  data.text = sim::layoutKeyText(sim::currentLayoutLocked(core.sources), keycode, 0,
                                 desktop->impl().options.functionKeyText);
  return core.events.create(std::move(data), true);
}

Event* eventCreateCopy(Event* event) {
  CoreState* core = currentCore();
  if (event == nullptr || core == nullptr) return nullptr;
  const std::lock_guard lock(core->mu);
  core->events.requireLive(event);
  return core->events.create(sim::readEvent(event), true);
}

EventType eventGetType(Event* event) {
  if (event == nullptr) return kEventNull;
  return withEvent(event, "eventGetType", [](const sim::EventData& d) { return d.type; });
}

int64_t eventGetIntegerValueField(Event* event, EventField field) {
  if (event == nullptr) return 0;
  return withEvent(event, "eventGetIntegerValueField", [&](const sim::EventData& d) -> int64_t {
    if (field == kKeyboardEventKeycode) return d.keycode;
    if (field == kEventSourceUserData) return d.userData;
    auto it = d.otherFields.find(field);
    return it == d.otherFields.end() ? 0 : it->second;
  });
}

void eventSetIntegerValueField(Event* event, EventField field, int64_t value) {
  if (event == nullptr) return;
  withEvent(event, "eventSetIntegerValueField", [&](sim::EventData& d) {
    if (field == kKeyboardEventKeycode) {
      d.keycode = value;
    } else if (field == kEventSourceUserData) {
      d.userData = value;
    } else {
      d.otherFields[field] = value;
    }
  });
}

EventFlags eventGetFlags(Event* event) {
  if (event == nullptr) return 0;
  return withEvent(event, "eventGetFlags", [](const sim::EventData& d) { return d.flags; });
}

void eventSetFlags(Event* event, EventFlags flags) {
  if (event == nullptr) return;
  withEvent(event, "eventSetFlags", [&](sim::EventData& d) { d.flags = flags; });
}

void eventKeyboardGetUnicodeString(Event* event, size_t maxLength, size_t* actualLength,
                                   char16_t* buffer) {
  if (actualLength != nullptr) *actualLength = 0;
  if (event == nullptr) return;
  withEvent(event, "eventKeyboardGetUnicodeString", [&](const sim::EventData& d) {
    const size_t n = buffer == nullptr ? 0 : std::min(maxLength, d.text.size());
    std::copy_n(d.text.begin(), n, buffer);
    if (actualLength != nullptr) *actualLength = n;
  });
}

void eventKeyboardSetUnicodeString(Event* event, size_t length, const char16_t* text) {
  if (event == nullptr) return;
  const size_t n = text == nullptr ? 0 : std::min(length, sim::kMaxEventText);
  withEvent(event, "eventKeyboardSetUnicodeString",
            [&](sim::EventData& d) { d.text.assign(text == nullptr ? u"" : text, n); });
}

// The window server takes a copy, so the caller may change or release its
// event at once, and may post the same event again.
void eventPost(EventTapLocation /*location*/, Event* event) {
  CoreState* core = currentCore();
  if (event == nullptr || core == nullptr) return;
  const std::lock_guard lock(core->mu);
  core->events.requireLive(event);
  // A refused post is dropped without a word, as a Mac drops it; a process
  // without the Accessibility trust may not post at all.
  if (!core->system.trusted || !core->system.access.post) return;
  sim::EventData data = sim::readEvent(event);
  data.posted = std::chrono::steady_clock::now();
  core->events.programPosts.push_back(sim::arrivalOf(data));
  sim::enqueueLocked(*core, core->events.create(std::move(data), false));
}

}  // namespace vyx::os
