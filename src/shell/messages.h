// The two ways the whole shell talks to the person: a message alert, and the
// system "open" command (whose failure is such an alert).
//
// Threads: any thread; neither waits for the person. The alert only copies
// its texts into work queued on the main queue, so a thread holding a lock
// may call it; called on the main thread, the alert comes after the current
// action.
#pragma once

#include <string_view>

namespace vyx {

// The Accessibility pane of the system settings, as "open" takes it.
inline constexpr std::string_view kAccessibilityPaneURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";

// Queues a modal informational alert with one "OK" button and returns at
// once; a second one waits until the first is dismissed.
void showTrayMessage(std::string_view title, std::string_view body);

// Starts "open" with the target as its one argument without waiting for it;
// when it cannot start, shows the alert "Cannot open" with the error's text.
void openWithDefaultApp(std::string_view target);

}  // namespace vyx
