// The one orderly end of the running program: stop the replacement worker,
// run the registered clean-up (the user word list poller, the store's final
// save), write the metrics line. The signal watcher, the menu's quit and a
// quit from the system run it, then end the process with status 0.
//
// Threads: setBeforeExitHook on the main thread at start-up;
// runBeforeExitHook on the signal watcher's thread or the main thread, and
// possibly on both at once (a signal during a quit from the menu or the
// system): every step tolerates running twice. beforeExitMu guards only the slot and is
// never held while the clean-up runs.
#pragma once

#include <functional>
#include <shared_mutex>

namespace vyx {

// The registered clean-up; empty until start-up registers it.
extern std::function<void()> beforeExitHook;
extern std::shared_mutex beforeExitMu;

// Replaces whatever clean-up was registered.
void setBeforeExitHook(std::function<void()> fn);
// Runs the sequence and returns; the caller ends the process.
void runBeforeExitHook();

// A quit from outside the program that is not a signal (logout, restart,
// Activity Monitor's Quit, an AppleScript "quit"), as the application object
// hands it over on the main thread: the orderly exit, then status 0.
[[noreturn]] void quitFromSystem();

// Ends the process with status at once, after flushing standard output:
// no static destructor runs, so none can meet a thread that still runs
// (the event tap's, the desktop's, a worker past its time-out).
[[noreturn]] void exitProcess(int status);

}  // namespace vyx
