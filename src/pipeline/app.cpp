#include "pipeline/app.h"

#include "log/logger.h"
#include "log/metrics.h"

namespace vyx {

std::mutex replaceMu;
std::atomic<int32_t> injecting{0};

namespace {
// Both never destroyed: the tap thread may still call the handler and look
// for the App while the process ends.
KeyHandler& keyHandlerSlot() {
  static KeyHandler& handler = *new KeyHandler;
  return handler;
}
std::shared_mutex& trayAppMu() {
  static std::shared_mutex& mu = *new std::shared_mutex;
  return mu;
}
App* trayApp = nullptr;
}  // namespace

App::App(Config& cfg, ExceptionStore* store, Detector& detector, RollbackTracker* tracker,
         undoState& undo, AppOps ops, Clock now)
    : cfg(cfg),
      store(store),
      detector(detector),
      tracker(tracker),
      buf([this](const std::string& word, char32_t boundary) { return onWord(word, boundary); }),
      undo(undo),
      now(std::move(now)),
      ops(std::move(ops)) {}

App::~App() {
  StopWorker(std::chrono::hours(24));
  if (worker.joinable()) worker.join();
}

std::unique_ptr<App> newApp(Config& cfg, ExceptionStore* store, Detector& detector,
                            RollbackTracker* tracker, AppOps ops, Clock now, undoState* undo) {
  auto app = std::make_unique<App>(cfg, store, detector, tracker,
                                   undo != nullptr ? *undo : processUndoState(), std::move(ops),
                                   std::move(now));
  app->startReplacementWorker();
  return app;
}

bool App::enqueueReplacement(replacementJob job) {
  const std::shared_lock jobsLock(jobsMu);
  if (stopped.load() || !jobs) {
    metricQueueDrops.fetch_add(1);
    vlog("skip_reason: %s", "worker-stopped");
    return false;
  }
  job.generation = contextGen.load();
  job.seq = lastJobSeq.fetch_add(1) + 1;
  const std::lock_guard deferLock(deferMu);
  if (jobs->tryPush(std::move(job))) {
    busy = true;
    busyNow.store(true, std::memory_order_release);
    if (ops.mouseGate) ops.mouseGate(true);
    return true;
  }
  metricQueueDrops.fetch_add(1);
  vlog("skip_reason: %s", "queue-full");
  return false;
}

void App::invalidateContext() {
  contextGen.fetch_add(1);
  buf.Clear();
  undo.Reset();
  detector.ResetTransientContext();
  if (tracker != nullptr) tracker->Reset();
}

void App::lastKeyReachedApplication() {
  boundaryPassedJob.store(lastKeyJob.load(std::memory_order_relaxed));
  const uint64_t held = lastKeyHeld.load(std::memory_order_relaxed);
  if (held == 0) return;
  const std::lock_guard lock(deferMu);
  for (deferredInput& in : deferred) {
    if (in.seq != held) continue;
    in.key.passed = true;
    // The application got the press, so it gets the release too.
    heldDown.erase(in.key.keycode);
    anyHeldDown.store(!heldDown.empty(), std::memory_order_relaxed);
    return;
  }
}

void App::keysWentByUnseen(bool midWord) {
  // A word cut before stays cut, however often the tap goes off in it.
  const bool cut = midWord || cutContext.load() == contextGen.load();
  invalidateContext();
  if (cut) cutContext.store(contextGen.load());
}

bool App::isBusy() {
  const std::lock_guard lock(deferMu);
  return busy;
}

std::string App::frontmost() const {
  return ops.frontmostApp ? ops.frontmostApp() : std::string();
}

std::string App::frontmostNow() const {
  return ops.frontmostAppNow ? ops.frontmostAppNow() : frontmost();
}

KeyLayout App::keyLayoutNow() const {
  return ops.keyLayout ? ops.keyLayout() : KeyLayout::other;
}

bool App::enabled() const {
  // Enabled never changes after loading, so it is read without the settings lock.
  return cfg.Enabled && (!ops.trayEnabled || ops.trayEnabled());
}

void setKeyHandler(KeyHandler handler) {
  keyHandlerSlot() = std::move(handler);
}
const KeyHandler& keyHandler() {
  return keyHandlerSlot();
}

void setTrayApp(App* app) {
  const std::unique_lock lock(trayAppMu());
  trayApp = app;
}

App* getTrayApp() {
  const std::shared_lock lock(trayAppMu());
  return trayApp;
}

}  // namespace vyx
