#include "os/sim/desktop.h"

#include <atomic>

#include "os/application.h"
#include "os/main_queue.h"
#include "os/sim/desktop_impl.h"

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

}  // namespace vyx::os::sim

namespace vyx::os {

void dispatchAsyncMain(std::function<void()> block) {
  sim::Desktop* desktop = sim::Desktop::current();
  if (desktop == nullptr) return;
  desktop->impl().main.post(std::move(block));
}

bool isMainThread() {
  sim::Desktop* desktop = sim::Desktop::current();
  return desktop != nullptr && desktop->impl().main.isMainThread();
}

}  // namespace vyx::os

namespace vyx::os {

void applicationRun() {
  sim::Desktop* desktop = sim::Desktop::current();
  if (desktop == nullptr) return;
  desktop->impl().main.run();
}

}  // namespace vyx::os
