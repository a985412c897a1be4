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

#include <string>

namespace vyx {

// Main thread, once, at start-up.
void vyxInstallFrontmostObserver();
// Main thread: no frontmost application is known any more, as before the
// observer was installed (where the tests start from).
void clearCachedFrontmostBundleID();

// The App's frontmostApp operation: a copy of the cached identifier, "" when
// none is known.
[[nodiscard]] std::string FrontmostAppID();
// The application keys reach this moment, as the workspace knows it ("" for
// none, or one without an identifier): the cache follows it only once the
// activation notice has been served on the main thread. Any thread; asks
// the workspace each time, so only the keys around a correction (held ones,
// and the program's own while it types) pay for it, never a plain keystroke.
[[nodiscard]] std::string FrontmostAppIDNow();

}  // namespace vyx
