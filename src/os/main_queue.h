// The main thread and its queue. Everything that touches the user interface
// runs there; other threads hand it work with dispatchAsyncMain.
#pragma once

#include <functional>

namespace vyx::os {

// Queues the block to run on the main thread, after what is queued already,
// and returns at once. Callable from any thread, the main one included.
void dispatchAsyncMain(std::function<void()> block);

[[nodiscard]] bool isMainThread();

}  // namespace vyx::os
