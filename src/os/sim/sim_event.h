// Events as the simulated window server keeps them: one object per event at
// a stable address (the program's mouse token is that address), counted
// references, and a record of every event the program made so that leaks
// and double releases show.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "os/events.h"
#include "os/sim/desktop.h"
#include "os/sim/registry.h"
#include "os/ui_types.h"

namespace vyx::os::sim {

// The longest text an event holds, in UTF-16 units; a longer one is cut.
inline constexpr size_t kMaxEventText = 20;

struct EventData {
  EventType type = kEventNull;
  int64_t keycode = 0;   // field 9
  int64_t userData = 0;  // field 42
  EventFlags flags = 0;
  std::u16string text;
  Point location;  // mouse events
  int32_t scrollDelta = 0;
  std::map<EventField, int64_t> otherFields;
  // When the person or the program put the event on the window server's
  // queue; a tap's answer in its place keeps the time of the event it
  // replaces.
  std::chrono::steady_clock::time_point posted{};
};

[[nodiscard]] Arrival arrivalOf(const EventData& data);

}  // namespace vyx::os::sim

namespace vyx::os {

// Threads: data is guarded by mu, because a tap callback that timed out may
// still touch the event while the window server hands it on. alive may be
// read by any thread; refs and program are guarded by CoreState::mu.
struct Event {
  explicit Event(sim::EventData d) : data(std::move(d)) {}
  mutable std::mutex mu;
  sim::EventData data;
  std::atomic<bool> alive{true};
  int refs = 1;
  bool program = false;  // made by an os:: call and not yet handed over
};

struct EventSource {
  EventSourceStateID state = kEventSourceStatePrivate;
};

}  // namespace vyx::os

namespace vyx::os::sim {

// Every event and event source of the desktop. Guarded by CoreState::mu.
class EventStore final {
 public:
  Event* create(EventData data, bool program);
  static void retain(Event* event) { ++event->refs; }
  // Drops one reference and frees the event with the last; an event that is
  // not live ends the process.
  void release(Event* event);
  // The program handed its reference to the window server (a tap callback
  // answered with an event of its own).
  void adopt(Event* event);
  void requireLive(const Event* event) const { events_.require(event, "event"); }
  [[nodiscard]] int64_t liveProgramEvents() const { return liveProgram_; }

  EventSource* createSource(EventSourceStateID state);
  void releaseSource(const EventSource* source) { sources_.remove(source, "event source"); }
  void requireSource(const EventSource* source) const { sources_.require(source, "event source"); }

  std::vector<Arrival> programPosts;  // every event the program posted
  std::vector<Arrival> personPosts;   // every event the person made, in order

 private:
  Registry<Event> events_{4096};
  Registry<EventSource> sources_;
  int64_t liveProgram_ = 0;
};

// Ends the process when the event was released: a use after release.
void requireAlive(const Event* event, const char* operation);
// A copy of the event's data.
[[nodiscard]] EventData readEvent(const Event* event);

}  // namespace vyx::os::sim
