#include "os/sim/main_loop.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "os/sim/desktop_impl.h"

namespace vyx::os::sim {

void MainLoop::run() {
  std::unique_lock lock(mu_);
  mainId_ = std::this_thread::get_id();
  hasMain_ = true;
  while (serveOnce(false, lock)) {
  }
  // Nobody waits forever for control work that arrived as the loop ended.
  runControl(lock);
}

void MainLoop::bindMainThread() {
  const std::lock_guard lock(mu_);
  mainId_ = std::this_thread::get_id();
  hasMain_ = true;
}

void MainLoop::stop() {
  const std::lock_guard lock(mu_);
  stopped_ = true;
  cv_.notify_all();
  doneCv_.notify_all();
}

bool MainLoop::isMainThread() const {
  const std::lock_guard lock(mu_);
  return hasMain_ && mainId_ == std::this_thread::get_id();
}

bool MainLoop::hasMainThread() const {
  const std::lock_guard lock(mu_);
  return hasMain_;
}

void MainLoop::post(std::function<void()> block, Modes modes) {
  const std::lock_guard lock(mu_);
  queue_.push_back(Block{std::move(block), modes});
  ++postedCount_;
  cv_.notify_all();
}

void MainLoop::control(const std::function<void()>& work) {
  if (isMainThread()) {
    work();
    return;
  }
  auto item = std::make_shared<ControlItem>();
  item->work = work;
  std::unique_lock lock(mu_);
  if (stopped_) return;
  controls_.push_back(item);
  cv_.notify_all();
  doneCv_.wait(lock, [&] { return item->done || (stopped_ && !hasMain_); });
}

void MainLoop::runControl(std::unique_lock<std::mutex>& lock) {
  while (!controls_.empty()) {
    auto item = controls_.front();
    controls_.pop_front();
    lock.unlock();
    item->work();
    lock.lock();
    endModalIfDone(lock);
    item->done = true;
    doneCv_.notify_all();
  }
}

// Control work that ends the innermost modal loop (a button pressed) counts
// it out before its caller is released, so that a caller who then waits for
// queued work does not take the closing loop for one still shown.
void MainLoop::endModalIfDone(std::unique_lock<std::mutex>& lock) {
  if (modals_.empty() || modals_.back()->ended) return;
  Modal* modal = modals_.back();
  lock.unlock();
  const bool finished = (*modal->done)();
  lock.lock();
  if (!finished) return;
  modal->ended = true;
  --modalDepth_;
}

SimClock::time_point MainLoop::nextDueLocked() const {
  auto next = SimClock::time_point::max();
  for (const auto& [id, t] : timers_) next = std::min(next, t.due);
  return next;
}

bool MainLoop::fireOneDueTimer(std::unique_lock<std::mutex>& lock) {
  const auto now = clock_.now();
  auto due = timers_.end();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->second.due <= now && (due == timers_.end() || it->second.due < due->second.due)) {
      due = it;
    }
  }
  if (due == timers_.end()) return false;
  const uint64_t id = due->first;
  std::function<void()> fire = due->second.fire;
  if (due->second.repeats) {
    // Like a Mac run loop, a late repeating timer fires once and keeps its
    // rhythm rather than catching up on every missed interval.
    const auto step = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::duration<double>(due->second.interval));
    auto next = due->second.due + step;
    while (next <= now) next += step;
    due->second.due = next;
  } else {
    timers_.erase(due);
  }
  lock.unlock();
  fire();
  lock.lock();
  (void)id;
  return true;
}

bool MainLoop::hasAllModesBlock() const {
  return std::any_of(queue_.begin(), queue_.end(),
                     [](const Block& b) { return b.modes == Modes::all; });
}

bool MainLoop::runOneBlock(bool modal, std::unique_lock<std::mutex>& lock) {
  const auto it = modal ? std::find_if(queue_.begin(), queue_.end(),
                                       [](const Block& b) { return b.modes == Modes::all; })
                        : queue_.begin();
  if (it == queue_.end()) return false;
  auto block = std::move(it->work);
  queue_.erase(it);
  runningBlock_ = true;
  lock.unlock();
  block();
  lock.lock();
  runningBlock_ = false;
  ++ranCount_;
  doneCv_.notify_all();
  return true;
}

bool MainLoop::serveOnce(bool modal, std::unique_lock<std::mutex>& lock) {
  for (;;) {
    if (stopped_) return false;
    if (!controls_.empty()) {
      runControl(lock);
      continue;
    }
    if (modal) {
      (void)runOneBlock(true, lock);
      return true;
    }
    if (fireOneDueTimer(lock)) continue;
    if (runOneBlock(false, lock)) continue;
    // Nothing to do: sleep until work arrives or the next timer falls due.
    const auto next = nextDueLocked();
    if (next == SimClock::time_point::max() || clock_.driven()) {
      cv_.wait(lock);
    } else {
      cv_.wait_for(lock, next - clock_.now());
    }
    return true;
  }
}

void MainLoop::runModal(const std::function<bool()>& done) {
  std::unique_lock lock(mu_);
  Modal modal{&done};
  modals_.push_back(&modal);
  ++modalDepth_;
  doneCv_.notify_all();
  for (;;) {
    if (modal.ended) break;
    lock.unlock();
    const bool finished = done();
    lock.lock();
    if (finished || stopped_) break;
    if (controls_.empty() && !hasAllModesBlock()) cv_.wait(lock);
    // Control work that ends this loop counts it out (endModalIfDone) before
    // its caller goes on.
    if (!serveOnce(true, lock)) break;
  }
  modals_.pop_back();
  if (!modal.ended) --modalDepth_;
}

uint64_t MainLoop::addTimer(double interval, bool repeats, std::function<void()> fire) {
  const std::lock_guard lock(mu_);
  const uint64_t id = nextTimerId_++;
  Timer t;
  t.interval = interval;
  t.repeats = repeats;
  t.due = clock_.now() + std::chrono::duration_cast<std::chrono::nanoseconds>(
                             std::chrono::duration<double>(interval));
  t.fire = std::move(fire);
  timers_.emplace(id, std::move(t));
  cv_.notify_all();
  return id;
}

void MainLoop::cancelTimer(uint64_t id) {
  const std::lock_guard lock(mu_);
  timers_.erase(id);
}

void MainLoop::wake() {
  const std::lock_guard lock(mu_);
  cv_.notify_all();
}

bool MainLoop::idle() const {
  const std::lock_guard lock(mu_);
  return queue_.empty() && !runningBlock_;
}

void MainLoop::waitPostedBefore() {
  std::unique_lock lock(mu_);
  const uint64_t target = postedCount_;
  doneCv_.wait(lock, [&] { return ranCount_ >= target || stopped_ || modalDepth_.load() > 0; });
}

void requireMainThread(const char* operation) {
  Desktop* desktop = Desktop::current();
  if (desktop != nullptr && desktop->impl().main.isMainThread()) return;
  std::fprintf(stderr, "simulated desktop: %s called off the main thread\n", operation);
  std::abort();
}

}  // namespace vyx::os::sim
