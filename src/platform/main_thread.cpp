#include "platform/main_thread.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>

#include "os/main_queue.h"

namespace vyx {

namespace {

// Shared with the queued block, which may run after the caller gave up.
struct Handoff {
  std::mutex mu;
  std::condition_variable cv;
  bool ran = false;
};

}  // namespace

bool runOnMainThread(std::function<void()> work, std::chrono::milliseconds timeout) {
  if (os::isMainThread()) {
    work();
    return true;
  }
  auto handoff = std::make_shared<Handoff>();
  // An alert left open must not hold up every correction until dismissed.
  os::dispatchAsyncMainInAllModes([handoff, work = std::move(work)] {
    work();
    const std::lock_guard lock(handoff->mu);
    handoff->ran = true;
    handoff->cv.notify_all();
  });
  std::unique_lock lock(handoff->mu);
  return handoff->cv.wait_for(lock, timeout, [&] { return handoff->ran; });
}

}  // namespace vyx
