// The main thread and its queue (main_queue.h): the desktop's main loop.
#include "os/main_queue.h"
#include "os/sim/desktop_impl.h"

namespace vyx::os {

void dispatchAsyncMain(std::function<void()> block) {
  sim::Desktop* desktop = sim::Desktop::current();
  if (desktop == nullptr) return;
  desktop->impl().main.post(std::move(block));
}

void dispatchAsyncMainInAllModes(std::function<void()> block) {
  sim::Desktop* desktop = sim::Desktop::current();
  if (desktop == nullptr) return;
  desktop->impl().main.post(std::move(block), sim::MainLoop::Modes::all);
}

bool isMainThread() {
  sim::Desktop* desktop = sim::Desktop::current();
  return desktop != nullptr && desktop->impl().main.isMainThread();
}

}  // namespace vyx::os
