// The frontmost application: a cache of its bundle identifier, seeded when
// the observer is installed and replaced on every activation, which also
// invalidates the typing context. The workspace is asked directly only where
// a moment's lag would put keys in the wrong application: while a correction
// is typed and for the input held meanwhile.
//
// Threads: the cache is written on the main thread (install, activation
// notifications) and read from any (tap thread, worker, main thread). One
// mutex guards it; nothing else is locked while it is held, and a replaced
// identifier is freed after the lock is released.
#pragma once

#include <optional>
#include <string>

#include "os/workspace.h"

namespace vyx {

// Main thread, once, at start-up.
void vyxInstallFrontmostObserver();
// Main thread, for every activation notification.
void onApplicationActivated(const os::ActivationNotification& notification);
// Main thread: the identifier (none for an application without one)
// becomes the cached value.
void setCachedFrontmostBundleID(const std::optional<std::string>& bundleID);
// Main thread: no frontmost application is known any more.
void clearCachedFrontmostBundleID();

// A copy of the cached identifier, "" when none is known.
[[nodiscard]] std::string vyxFrontmostBundleIDCopy();
// The App's frontmostApp operation.
[[nodiscard]] std::string FrontmostAppID();
// The application keys reach this moment, as the workspace knows it ("" for
// none, or one without an identifier): the cache follows it only once the
// activation notice has been served on the main thread. Any thread; asks
// the workspace, so it stays off the path of every keystroke.
[[nodiscard]] std::string FrontmostAppIDNow();

// The pipeline's side of an activation: the typing context no longer
// matches the screen. Main thread.
void goAppSwitched() noexcept;

}  // namespace vyx
