// The signal watcher: turns the first SIGINT or SIGTERM into the orderly
// exit. Until it has subscribed, the signals end the process the system's
// default way; once it has, every further one is absorbed, so a second
// Ctrl+C cannot cut the exit's clean-up short.
//
// Threads: startSignalWatcher on the main thread, once; the watcher runs on
// its own thread for the rest of the process. The signal handler only
// writes one byte to a pipe.
#pragma once

namespace vyx {

// Starts the watcher thread and returns at once; the thread subscribes to
// the two signals as its first act.
void startSignalWatcher();

}  // namespace vyx
