// Input the program can no longer type as it decided: the permission went
// while corrections were queued or keys and clicks held back. The system
// drops what a process without it posts, without a word, so whatever is
// held is let go as it is while that still works, and otherwise dropped
// and told, never posted into nothing.
#include <utility>

#include "log/logger.h"
#include "log/metrics.h"
#include "pipeline/app.h"

namespace vyx {

namespace {

void raiseTo(std::atomic<uint64_t>& value, uint64_t to) {
  uint64_t was = value.load();
  while (was < to && !value.compare_exchange_weak(was, to)) {
  }
}

}  // namespace

void App::inputPathLost() {
  raiseTo(lostJobsUpTo, lastJobSeq.load());
  {
    const std::lock_guard lock(deferMu);
    lostHeldUpTo = lastHeldSeq;
    // Their key-ups reach the application by themselves from now on.
    heldDown.clear();
    anyHeldDown.store(false, std::memory_order_relaxed);
  }
  invalidateContext();
}

bool App::postingAllowed() const {
  return !ops.inputAccess || ops.inputAccess();
}

bool App::dropJobIfInputLost(const replacementJob& job) {
  const bool canPost = postingAllowed();
  // The worker may learn of it before the hook control does.
  if (!canPost && job.seq > lostJobsUpTo.load()) inputPathLost();
  if (job.seq > lostJobsUpTo.load()) return false;
  metricQueueDrops.fetch_add(1);
  vlog("skip_reason: %s", "permission-lost");
  // The key that queued the fix was swallowed: it is the person's still.
  if (job.kind == jobKindFix && job.boundary != 0 && !boundaryReachedApp(job)) {
    if (!canPost) {
      ++lostDropped;
    } else if (jobAppInFront(job)) {
      synthesizeBoundary(job);
    }
  }
  return true;
}

bool App::heldBeforeLoss(uint64_t seq) const {
  return seq <= lostHeldUpTo;
}

void App::releaseHeldAfterLoss(deferredInput in) {
  const bool canPost = postingAllowed();
  if (in.kind == deferredKindMouse) {
    if (canPost) {
      replayMouse(in.mouse.token, in.mouse.eventType);
      return;
    }
    if (ops.releaseMouse && in.mouse.token != 0) ops.releaseMouse(in.mouse.token);
    metricQueueDrops.fetch_add(1);
    ++lostDropped;
    return;
  }
  const deferredKey& key = in.key;
  // On screen already.
  if (key.passthrough || key.passed) return;
  if (canPost && (key.app.empty() || frontmostNow() == key.app)) {
    try {
      const std::lock_guard replaceLock(replaceMu);
      postInjected(key);
    } catch (...) {
      logLine("PANIC in deferred key replay");
    }
    return;
  }
  metricQueueDrops.fetch_add(1);
  if (!canPost) ++lostDropped;
}

void App::reportLostInput() {
  if (lostDropped == 0) return;
  logf("Held input dropped without the permission to type it: %d", lostDropped);
  lostDropped = 0;
}

}  // namespace vyx
