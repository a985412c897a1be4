#include "os/sim/window_server.h"

#include <algorithm>

#include "os/sim/core_state.h"

namespace vyx::os::sim {

namespace {

bool wants(const EventTap* tap, EventType type) {
  return !tap->released && tap->enabled && type < 64 && (tap->mask & eventMaskBit(type)) != 0;
}

std::shared_ptr<TapJob> offerLocked(CoreState& core, EventTap* tap, Event* event, EventType type,
                                    bool notice) {
  auto job = std::make_shared<TapJob>();
  job->event = event;
  job->type = type;
  job->notice = notice;
  job->seq = ++core.server.nextJob;
  tap->jobs.push_back(job);
  core.server.loopWork.notify_all();
  return job;
}

// An event a callback answers with belongs to the system from then on; when
// nobody takes it on (a late or ignored answer), it is freed here.
void dropAnswerLocked(CoreState& core, const TapJob& job, Event* answer) {
  if (answer == nullptr || answer == job.event) return;
  core.events.requireLive(answer);
  core.events.release(answer);
}

void disableForTimeoutLocked(CoreState& core, EventTap* tap) {
  tap->enabled = false;
  ++tap->timeouts;
  noticeLocked(core, tap, kEventTapDisabledByTimeout);
}

void timeOutLocked(CoreState& core, EventTap* tap, const std::shared_ptr<TapJob>& job) {
  job->abandoned = true;
  // A job that its thread has not started is withdrawn: the callback never
  // sees an event that already went on without it.
  auto it = std::find(tap->jobs.begin(), tap->jobs.end(), job);
  if (it != tap->jobs.end()) {
    tap->jobs.erase(it);
    core.events.release(job->event);
  }
  disableForTimeoutLocked(core, tap);
}

// An active tap of a process the system no longer trusts stays at the head
// of the event path and passes nothing on: the event waits there until the
// tap is disabled or released, the trust comes back, or the system gives up
// on the tap as on a slow callback. Returns whether the tap is offered the
// event after all.
bool holdUpAtUntrustedTapLocked(CoreState& core, EventTap* tap, EventType type,
                                std::unique_lock<std::mutex>& lock) {
  WindowServer& ws = core.server;
  if (tap->listenOnly || core.system.trusted) return true;
  const auto deadline = std::chrono::steady_clock::now() + ws.tapTimeout;
  ws.answers.wait_until(lock, deadline,
                        [&] { return ws.stopping || !wants(tap, type) || core.system.trusted; });
  if (ws.stopping || !wants(tap, type)) return false;
  if (core.system.trusted) return true;
  disableForTimeoutLocked(core, tap);
  return false;
}

void keepPostTime(const Event* from, Event* to) {
  const auto posted = readEvent(from).posted;
  const std::lock_guard lock(to->mu);
  to->data.posted = posted;
}

EventType typeOf(const Event* event) {
  const std::lock_guard lock(event->mu);
  return event->data.type;
}

// Passes the event through the taps in order; returns the event that goes
// on (holding the window server's reference), or null when a tap dropped it.
Event* passTapsLocked(CoreState& core, Event* event, std::unique_lock<std::mutex>& lock) {
  WindowServer& ws = core.server;
  const std::vector<EventTap*> taps = ws.taps;  // a tap made meanwhile sees the next event
  for (EventTap* tap : taps) {
    if (!wants(tap, typeOf(event))) continue;
    if (!holdUpAtUntrustedTapLocked(core, tap, typeOf(event), lock)) {
      if (ws.stopping) return event;
      continue;
    }
    ++tap->eventsSeen;
    EventStore::retain(event);
    auto job = offerLocked(core, tap, event, typeOf(event), false);
    const auto deadline = std::chrono::steady_clock::now() + ws.tapTimeout;
    ws.answers.wait_until(lock, deadline, [&] { return job->done || ws.stopping; });
    if (ws.stopping && !job->done) {
      job->abandoned = true;
      return event;
    }
    if (!job->done) {
      timeOutLocked(core, tap, job);
      continue;
    }
    Event* answer = job->answer;
    if (tap->listenOnly) {
      dropAnswerLocked(core, *job, answer);
      continue;
    }
    if (answer == nullptr) {
      core.events.release(event);
      return nullptr;
    }
    if (answer != event) {
      core.events.requireLive(answer);
      keepPostTime(event, answer);
      core.events.adopt(answer);
      core.events.release(event);
      event = answer;
    }
  }
  return event;
}

std::pair<EventTap*, std::shared_ptr<TapJob>> nextJobLocked(const WindowServer& ws,
                                                            const RunLoop* loop) {
  EventTap* best = nullptr;
  for (const auto& tap : ws.tapStore) {
    if (tap->loop != loop || tap->jobs.empty()) continue;
    if (best == nullptr || tap->jobs.front()->seq < best->jobs.front()->seq) best = tap.get();
  }
  if (best == nullptr) return {nullptr, nullptr};
  auto job = best->jobs.front();
  best->jobs.pop_front();
  return {best, job};
}

void finishJobLocked(CoreState& core, TapJob& job, Event* answer) {
  if (job.notice || job.abandoned) {
    dropAnswerLocked(core, job, answer);
  } else {
    job.done = true;
    job.answer = answer;
    core.server.answers.notify_all();
  }
  core.events.release(job.event);
}

}  // namespace

void enqueueLocked(CoreState& core, Event* event) {
  core.server.queue.push_back(event);
  core.server.lastPost = std::chrono::steady_clock::now();
  core.server.work.notify_all();
}

void noticeLocked(CoreState& core, EventTap* tap, EventType type) {
  EventData data;
  data.type = type;
  offerLocked(core, tap, core.events.create(std::move(data), false), type, true);
}

bool windowServerBusyLocked(const CoreState& core) {
  const WindowServer& ws = core.server;
  if (!ws.queue.empty() || ws.inFlight || ws.callbacksRunning > 0) return true;
  return std::any_of(ws.tapStore.begin(), ws.tapStore.end(), [](const auto& tap) {
    return !tap->jobs.empty() && tap->loop != nullptr && tap->loop->running > 0;
  });
}

void runWindowServer(CoreState& core) {
  WindowServer& ws = core.server;
  std::unique_lock lock(core.mu);
  for (;;) {
    ws.work.wait(lock, [&] { return ws.stopping || !ws.queue.empty(); });
    if (ws.stopping) return;
    Event* event = ws.queue.front();
    ws.queue.pop_front();
    ws.inFlight = true;
    event = passTapsLocked(core, event, lock);
    if (event != nullptr) {
      deliverLocked(core, event);
      core.events.release(event);
    }
    ws.inFlight = false;
  }
}

void serveRunLoop(CoreState& core, RunLoop* loop, std::unique_lock<std::mutex>& lock) {
  WindowServer& ws = core.server;
  // As on a Mac, a run loop without sources has nothing to wait for.
  if (ws.stopping || !loop->hasSource) return;
  loop->stopRequested = false;
  ++loop->running;
  ++ws.threadsInRun;
  while (!ws.stopping && !loop->stopRequested) {
    auto [tap, job] = nextJobLocked(ws, loop);
    if (job == nullptr) {
      ws.loopWork.wait(lock);
      continue;
    }
    const EventTapCallBack callback = tap->callback;
    void* userInfo = tap->userInfo;
    ++ws.callbacksRunning;
    lock.unlock();
    Event* answer = callback(nullptr, job->type, job->event, userInfo);
    lock.lock();
    --ws.callbacksRunning;
    finishJobLocked(core, *job, answer);
  }
  loop->stopRequested = false;
  --loop->running;
  --ws.threadsInRun;
  ws.exits.notify_all();
}

void stopWindowServer(CoreState& core) {
  WindowServer& ws = core.server;
  {
    const std::lock_guard lock(core.mu);
    ws.stopping = true;
    ws.work.notify_all();
    ws.loopWork.notify_all();
    ws.answers.notify_all();
  }
  if (ws.thread.joinable()) ws.thread.join();
  std::unique_lock lock(core.mu);
  ws.exits.wait(lock, [&] { return ws.threadsInRun == 0; });
}

}  // namespace vyx::os::sim
