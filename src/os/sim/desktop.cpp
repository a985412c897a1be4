#include "os/sim/desktop.h"

#include <atomic>
#include <thread>

#include "os/sim/core_state.h"
#include "os/sim/desktop_impl.h"
#include "os/sim/window_server.h"

namespace vyx::os::sim {

namespace {
std::atomic<Desktop*> currentDesktop{nullptr};
}  // namespace

Desktop::Desktop(DesktopOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {
  currentDesktop.store(this);
  if (impl_->options.ownMainThread) {
    impl_->ownMain = std::thread([this] { impl_->main.run(); });
    while (!impl_->main.hasMainThread()) std::this_thread::yield();
  } else {
    // The program's own thread: it builds its interface here, then runs the
    // loop through applicationRun.
    impl_->main.bindMainThread();
  }
}

Desktop::~Desktop() {
  impl_->main.stop();
  if (impl_->ownMain.joinable()) impl_->ownMain.join();
  currentDesktop.store(nullptr);
}

Desktop* Desktop::current() {
  return currentDesktop.load();
}

std::chrono::steady_clock::time_point Desktop::now() const {
  return impl_->clock.now();
}

void Desktop::advance(std::chrono::nanoseconds by) {
  impl_->clock.advance(by);
  impl_->main.wake();
  // The loop fires due timers before it runs queued blocks, so once a block
  // queued after the clock moved has run, every timer that fell due has too.
  drainMainQueue();
}

void Desktop::onMain(const std::function<void()>& work) {
  impl_->main.control(work);
}

void Desktop::drainMainQueue() {
  // What the drained blocks queue in turn is drained too.
  do {
    impl_->main.post([] {});
    impl_->main.waitPostedBefore();
  } while (!impl_->main.idle() && !impl_->main.inModal());
}

// Telling when the desktop is quiet.

void Desktop::setBusyProbe(std::function<bool()> busy) {
  const std::lock_guard lock(impl_->core.mu);
  impl_->core.system.busyProbe = std::move(busy);
}

bool Desktop::waitIdle(std::chrono::milliseconds timeout, std::chrono::milliseconds quiet) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + timeout;
  CoreState& core = impl_->core;
  for (;;) {
    bool busy = false;
    Clock::time_point lastPost;
    std::function<bool()> probe;
    {
      const std::lock_guard lock(core.mu);
      busy = windowServerBusyLocked(core) || core.system.typing > 0;
      lastPost = core.server.lastPost;
      probe = core.system.busyProbe;
    }
    // The probe is the program's code: asked without the desktop's lock.
    busy = busy || !impl_->main.idle() || (probe && probe());
    const auto now = Clock::now();
    if (!busy && now - lastPost >= quiet) return true;
    if (now >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace vyx::os::sim
