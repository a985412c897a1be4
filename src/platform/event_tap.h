// The event tap: the program's only source of keyboard and mouse input. One
// active tap at the session level sees every key, modifier, button, drag
// and (while the mouse gate is on) pointer move of the user before any
// application does, and hands each to the pipeline on the tap's own thread.
//
// Threads: startHook runs on whichever thread ensureKeyboardHook runs on, at
// most once with success. eventTapCallback runs on the tap thread, one event
// at a time, for the rest of the process. activeEventTap is written when
// startHook makes the tap, before the tap thread starts, and read by the
// callback; mouseGateFlag is stored by the tap thread and the worker and
// loaded by the callback; both are atomics and no lock is taken.
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

// The tap startHook made; null before, and after a refused creation.
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

// The tap's callback: returns the event to let it pass, null to drop it.
os::Event* eventTapCallback(void* proxy, os::EventType type, os::Event* event, void* userInfo);

}  // namespace vyx
