// The entry points from the event tap into the pipeline, and the mouse gate.
// Each callback arms a catch-all before doing any work: an unexpected
// failure is logged whatever the verbose setting, the callback answers 0 so
// the event reaches the application, and the tap thread goes on.
//
// Threads: goKeyCallback, goKeyUp, goMouseEvent and goTapDisabled run on the
// tap thread, inside eventTapCallback.
// setMouseGateState runs on the tap thread (a job queued) and the worker
// (held input replayed); it only stores an atomic.
#pragma once

#include <cstdint>
#include <string_view>

namespace vyx {

// A key down or modifier change: 1 drops the event, 0 lets it pass. text
// is all the key gave (ch, its first unit, 0 for none).
[[nodiscard]] int32_t goKeyCallback(int64_t keycode, char16_t ch, uint64_t flags, int64_t userData,
                                    std::u16string_view text) noexcept;
// A key up: 1 drops it, 0 lets it pass.
[[nodiscard]] int32_t goKeyUp(int64_t keycode) noexcept;
// A copy of a mouse event (the token). 1: the pipeline owns the copy, will
// post it again and free it, and the event itself is dropped. 0: the copy
// is still the caller's to free, and the event passes.
[[nodiscard]] int32_t goMouseEvent(uint64_t token, int64_t type) noexcept;
// The system disabled the tap, for a slow callback (reason 1) or user input
// (2), and the callback enabled it again (reenabled) or, without the access
// to, left it off for the hook control to stop. keyPassed: the key down the
// tap was swallowing when it was disabled reached the application after all.
void goTapDisabled(int64_t reason, bool keyPassed, bool reenabled) noexcept;

// The App's mouseGate operation.
void setMouseGateState(bool on);

}  // namespace vyx
