// The main thread and its queue. Everything that touches the user interface
// runs there; other threads hand it work with dispatchAsyncMain.
#pragma once

#include <functional>

namespace vyx::os {

// Queues the block to run on the main thread, after what is queued already,
// and returns at once. Callable from any thread, the main one included.
void dispatchAsyncMain(std::function<void()> block);
// The same, except that the block also runs while a modal alert or an open
// menu holds the main loop. For work that touches no window and that a
// person must not wait for until they dismiss an alert: the input-source
// service, which only the main thread may call.
void dispatchAsyncMainInAllModes(std::function<void()> block);

[[nodiscard]] bool isMainThread();

}  // namespace vyx::os
