// The two small operations the whole shell uses to talk to the person: a
// message alert, and the system "open" command.
//
// Threads: any thread; neither waits for the person.
#pragma once

#include <string_view>

namespace vyx {

// The Accessibility pane of the system settings, as "open" takes it.
inline constexpr std::string_view kAccessibilityPaneURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";

// Queues an informational alert with one "OK" button and returns at once.
void showTrayMessage(std::string_view title, std::string_view body);

// Starts "open" with the target as its one argument without waiting for it;
// when it cannot start, shows the alert "Cannot open" with the error's text.
void openWithDefaultApp(std::string_view target);

}  // namespace vyx
