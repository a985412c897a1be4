// Event taps and the run loop that delivers their events.
//
// Threads: an event tap's callback runs on the thread whose run loop holds
// the tap's source, one event at a time; the window server waits for its
// answer before the event goes on. eventTapEnable may be called from any
// thread.
#pragma once

#include <cstdint>

#include "os/events.h"

namespace vyx::os {

struct EventTap;       // the tap's port
struct RunLoopSource;  // what a run loop listens to
struct RunLoop;        // one per thread

void release(EventTap* tap);
void release(RunLoopSource* source);

using EventTapPlacement = uint32_t;
inline constexpr EventTapPlacement kHeadInsertEventTap = 0;
inline constexpr EventTapPlacement kTailAppendEventTap = 1;

using EventTapOptions = uint32_t;
inline constexpr EventTapOptions kEventTapOptionDefault = 0;  // active: may drop or change events
inline constexpr EventTapOptions kEventTapOptionListenOnly = 1;

using EventMask = uint64_t;
[[nodiscard]] constexpr EventMask eventMaskBit(EventType type) {
  return EventMask{1} << type;
}

// Called with each event the mask asks for; returns the event to let it go
// on (possibly another one) or null to drop it. The proxy is unused here.
using EventTapCallBack = Event* (*)(void* proxy, EventType type, Event* event, void* userInfo);

// Null when the system refuses (for example without the Accessibility
// permission). The system leaves out of the mask the events the process may
// not tap (keys, for a process the system does not let see the keyboard),
// and refuses the tap only when nothing is left. A new tap starts disabled
// (a Mac makes it enabled; the binding turns it off at once, so that it holds
// up no input before its thread serves it): callers enable it once its
// source is on a running run loop.
[[nodiscard]] EventTap* eventTapCreate(EventTapLocation tap, EventTapPlacement place,
                                       EventTapOptions options, EventMask eventsOfInterest,
                                       EventTapCallBack callback, void* userInfo);
void eventTapEnable(EventTap* tap, bool enable);
[[nodiscard]] bool eventTapIsEnabled(EventTap* tap);

// Null on failure.
[[nodiscard]] RunLoopSource* machPortCreateRunLoopSource(EventTap* tap, int64_t order);

// The system's mode constants, not strings of our own.
enum class RunLoopMode : uint8_t { defaultMode, commonModes };
inline constexpr RunLoopMode kRunLoopCommonModes = RunLoopMode::commonModes;
inline constexpr RunLoopMode kRunLoopDefaultMode = RunLoopMode::defaultMode;

// The calling thread's run loop (made on first use; not owned by the caller).
[[nodiscard]] RunLoop* runLoopGetCurrent();
// Adding a source the system has invalidated does nothing; the loop does
// not hold it then.
void runLoopAddSource(RunLoop* loop, RunLoopSource* source, RunLoopMode mode);
[[nodiscard]] bool runLoopContainsSource(RunLoop* loop, RunLoopSource* source, RunLoopMode mode);
// Runs the calling thread's run loop until it is stopped.
void runLoopRun();
// Gives the calling thread the quality of service of work the person waits
// for (a tap's thread: every key waits for its callback), so that the system
// neither delays nor coalesces its wake-ups.
void threadSetUserInteractive();
// Makes the loop's runLoopRun return; any thread. A loop not running yet
// may not hear it: ask again until its thread says it left.
void runLoopStop(RunLoop* loop);

}  // namespace vyx::os
