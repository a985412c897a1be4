// The event tap: the program's only source of keyboard and mouse input. One
// active tap at the session level sees every key, modifier, button, drag
// and (while the mouse gate is on) pointer move of the user before any
// application does, and hands each to the pipeline on the tap's own thread.
//
// Threads: startHook and stopHook run on whichever thread the hook control
// runs them on, never two at a time, and alternate: at most one tap runs.
// eventTapCallback runs on the tap thread, one event at a time, until the
// tap is stopped. activeEventTap is written when startHook makes the tap,
// before the tap thread starts, and cleared by stopHook; the callback reads
// it. mouseGateFlag is stored by the tap thread and the worker and loaded by
// the callback. Both are atomics; the serving thread's handle has a mutex of
// its own, held while nothing else is locked.
#pragma once

#include <atomic>
#include <cstdint>
#include <initializer_list>

#include "log/error.h"
#include "os/event_tap.h"
#include "os/events.h"

namespace vyx {

// Field 42 of every event the program posts; the tap lets such events pass
// untouched, so nothing the program types is fed back into the pipeline.
inline constexpr int64_t syntheticEventMarker = 186778917;

// Key down, key up, modifier changes, every mouse button and drag, pointer
// moves; never the scroll wheel.
inline constexpr os::EventMask kEventTapMask = [] {
  os::EventMask mask = 0;
  for (const os::EventType type :
       {os::kEventKeyDown, os::kEventKeyUp, os::kEventFlagsChanged, os::kEventLeftMouseDown,
        os::kEventLeftMouseUp, os::kEventRightMouseDown, os::kEventRightMouseUp,
        os::kEventOtherMouseDown, os::kEventOtherMouseUp, os::kEventLeftMouseDragged,
        os::kEventRightMouseDragged, os::kEventOtherMouseDragged, os::kEventMouseMoved}) {
    mask |= os::eventMaskBit(type);
  }
  return mask;
}();

// The tap startHook made; null before, after a refused creation and once
// stopped.
extern std::atomic<os::EventTap*> activeEventTap;
// 1 while pointer moves go to the pipeline (a correction is queued or held
// input waits); 0, the start value, while they pass untouched.
extern std::atomic<int32_t> mouseGateFlag;

// Makes the tap and starts its thread, and returns once that thread serves
// the tap. Fails without the Accessibility permission, when the system,
// trusting the process, still refuses it posting or the keyboard (the error
// names which), when the system refuses a tap, and when the thread cannot serve it (the tap is then
// given back, so a later start begins afresh).
[[nodiscard]] Status startHook();

// Takes the running tap out of the event path at once (events held up at it
// go on to the applications), has its thread give it back and end, and
// returns; a later startHook begins afresh. Nothing when no tap runs.
void stopHook();

// None while the running tap may stay in the event path: the access is
// held, and the system has not disabled the tap at a moment the callback
// could not take it back. Otherwise why it must go.
[[nodiscard]] Status checkHookHealth();

// The tap's callback: returns the event to let it pass, null to drop it.
os::Event* eventTapCallback(void* proxy, os::EventType type, os::Event* event, void* userInfo);

}  // namespace vyx
