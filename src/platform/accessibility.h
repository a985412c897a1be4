// The Accessibility permission, without which the program can neither
// observe nor post input events.
//
// Threads: any thread.
#pragma once

namespace vyx {

// Whether the process is trusted; never shows a prompt.
[[nodiscard]] bool checkAccessibility();
// Whether the system lets the process both watch and post input events: the
// Accessibility trust and the posting permission. Neither prompts; both are
// cheap enough to ask every few hundred milliseconds. A person can take
// either away while the program runs, and the system says nothing of it:
// from then on what the program posts goes nowhere.
[[nodiscard]] bool inputAccessHeld();
// Asks the system to show its permission prompt; the answer is ignored, the
// grant is learned only through later checkAccessibility calls.
void promptAccessibility();

}  // namespace vyx
