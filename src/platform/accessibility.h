// The Accessibility permission, without which the program can neither
// observe nor post input events.
//
// Threads: any thread.
#pragma once

namespace vyx {

// Whether the process is trusted; never shows a prompt.
[[nodiscard]] bool checkAccessibility();
// Asks the system to show its permission prompt; the answer is ignored, the
// grant is learned only through later checkAccessibility calls.
void promptAccessibility();

}  // namespace vyx
