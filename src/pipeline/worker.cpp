// The one thread that carries out corrections, one job at a time, and
// replays the input held meanwhile after each.
#include "log/logger.h"
#include "log/metrics.h"
#include "pipeline/app.h"
#include "pipeline/key_codes.h"
#include "text/utf8.h"

namespace vyx {

MonoTime App::clock() const {
  return now ? now() : std::chrono::steady_clock::now();
}

void App::startReplacementWorker() {
  const std::unique_lock lock(jobsMu);
  if (jobs || stopped.load()) return;
  jobs = std::make_unique<BoundedQueue<replacementJob>>(kJobQueueCapacity);
  workerDone = std::make_shared<OneShotSignal>();
  worker = std::thread([this] { runReplacementWorker(); });
}

void App::runReplacementWorker() {
  BoundedQueue<replacementJob>* queue = nullptr;
  std::shared_ptr<OneShotSignal> done;
  {
    const std::shared_lock lock(jobsMu);
    queue = jobs.get();
    done = workerDone;
  }
  while (auto job = queue->pop()) {
    try {
      runReplacementJob(*job);
    } catch (...) {
      logLine("PANIC in replacement worker");
    }
    // Each held entry catches its own failures; this only keeps a failure
    // outside them from ending the worker, and with it every later fix.
    try {
      replayDeferred();
    } catch (...) {
      logLine("PANIC in replacement worker");
    }
  }
  done->raise();
}

bool App::appChanged(const replacementJob& job, const std::string& front) {
  if (job.app.empty() || front == job.app) return false;
  metricQueueDrops.fetch_add(1);
  vlog("skip_reason: %s", "app-changed");
  return true;
}

bool App::jobAppInFront(const replacementJob& job) const {
  return job.app.empty() || frontmostNow() == job.app;
}

bool App::boundaryReachedApp(const replacementJob& job) const {
  return job.seq != 0 && job.seq == boundaryPassedJob.load();
}

void App::awaitTapCaughtUp() {
  if (ops.tapCaughtUp && !ops.tapCaughtUp()) invalidateContext();
}

void App::runReplacementJob(const replacementJob& job) {
  if (job.kind == jobKindSelection) {
    runSelectionJob(job);
    return;
  }
  const std::lock_guard replaceLock(replaceMu);
  if (appChanged(job, frontmost())) return;
  const InjectingScope injectingScope;
  if (dropJobIfInputLost(job)) return;
  // The key that queued the job, or one held after it, may have reached the
  // application after all: the system stops waiting for a slow tap. Its
  // notice of that comes only after the tap has seen the key, and must be
  // in before anything is erased on the strength of what the tap saw.
  awaitTapCaughtUp();

  if (contextGen.load() != job.generation) {
    metricQueueDrops.fetch_add(1);
    vlog("skip_reason: %s", "stale-generation");
    // A boundary that got through by itself (the system gave up waiting
    // for the tap) is on the screen already.
    if (job.kind == jobKindFix && job.boundary != 0 && !boundaryReachedApp(job) &&
        jobAppInFront(job)) {
      synthesizeBoundary(job);
    }
    return;
  }

  const KeyLayout before = job.kind == jobKindFix ? keyLayoutNow() : KeyLayout::other;
  // A correction stopped part-way, or never begun, because another
  // application came to the front: the screen holds no fix to count,
  // revert or complete, and that application gets no key of it.
  if (ops.replaceText && !ops.replaceText(job.deleteChars, job.text, job.app).ok()) return;
  if (job.kind == jobKindFix) {
    metricConversions.fetch_add(1);
    if (before != KeyLayout::other) rereadHeldKeys(before, keyLayoutNow());
  }

  // An invalidation while the text was typed: what was typed stays, but the
  // screen no longer matches anything worth recording. The Enter the user
  // pressed is still theirs (a space or a mark was typed with the text), as
  // long as it goes where they typed it and nowhere else.
  if (contextGen.load() != job.generation) {
    if (job.kind == jobKindFix && job.boundary == kEnterBoundary && !boundaryReachedApp(job) &&
        jobAppInFront(job)) {
      synthesizeBoundary(job);
    }
    return;
  }

  if (job.kind == jobKindFix) {
    if (job.boundary == kEnterBoundary) {
      if (ops.sendEnter && jobAppInFront(job)) ops.sendEnter(job.keycode, job.flags);
      return;
    }
    std::string tail;
    if (job.boundary != 0) {
      const std::u32string word = decodeUtf8(job.word);
      if (word.empty() || word.back() != job.boundary) tail = encodeUtf8(job.boundary);
    }
    // The key that queued this job is still being handled under handleMu: it
    // reports itself to the retype tracker after queueing. Waiting for it
    // keeps that report from landing on the watch this fix starts.
    const std::lock_guard handleLock(handleMu);
    undo.SaveForApp(job.word, tail, job.text, job.app);
    if (tracker != nullptr) tracker->OnConversion(job.word, job.text, job.app);
    return;
  }

  if (job.kind == jobKindUndo && store != nullptr && !job.app.empty()) {
    if (store->Add(job.app, job.word).ok()) {
      vlog("Learned exception (Cmd+Z): %q in %q", job.word, job.app);
    }
  }
}

void App::runSelectionJob(const replacementJob& job) {
  if (appChanged(job, frontmost())) return;
  if (dropJobIfInputLost(job)) return;
  if (contextGen.load() != job.generation) {
    metricQueueDrops.fetch_add(1);
    vlog("skip_reason: %s", "stale-generation");
    return;
  }
  if (ops.convertSel) ops.convertSel(detector, job.app);
  invalidateContext();
}

void App::synthesizeBoundary(const replacementJob& job) const {
  if (job.boundary == kEnterBoundary) {
    if (ops.sendEnter) ops.sendEnter(job.keycode, job.flags);
  } else if (ops.sendChar) {
    ops.sendChar(job.boundary);
  }
}

void App::StopWorker(std::chrono::nanoseconds timeout) {
  bool expected = false;
  if (stopped.compare_exchange_strong(expected, true)) {
    const std::unique_lock lock(jobsMu);
    if (jobs) jobs->close();
  }
  std::shared_ptr<OneShotSignal> done;
  {
    const std::shared_lock lock(jobsMu);
    done = workerDone;
  }
  if (!done) return;
  if (!done->waitFor(timeout)) logLine("replacement worker stop timed out");
}

}  // namespace vyx
