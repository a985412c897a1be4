// The workspace: which application is frontmost, and notice of each
// activation.
//
// Threads: frontmostApplication from any thread; the observer's block runs
// on the main thread, from the main queue.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace vyx::os {

struct RunningApplication {
  std::optional<std::string> bundleIdentifier;  // absent for some processes
};

[[nodiscard]] std::optional<RunningApplication> frontmostApplication();

// The activation notification's user info: the activated application, when
// the notification carries one.
struct ActivationNotification {
  std::optional<RunningApplication> application;
};

// Observes every application activation for the rest of the process; the
// block runs on the main queue, while a modal alert is open too.
void addActivationObserverOnMainQueue(std::function<void(const ActivationNotification&)> block);

}  // namespace vyx::os
