// Work that only the main thread may do (the input-source service of an
// application), asked for by another thread that waits for it a while.
//
// Threads: any thread; on the main thread the work runs at once.
#pragma once

#include <chrono>
#include <functional>

namespace vyx {

// Queues work on the main thread, to run even while a modal alert holds it,
// and waits until it has run or the timeout has passed; true when it ran in
// time.
// Work that did not run in time still runs later, in its turn.
bool runOnMainThread(std::function<void()> work, std::chrono::milliseconds timeout);

}  // namespace vyx
