// The typing and correction pipeline's one object: a stream of key and mouse
// events goes in, corrections come out through the output operations.
//
// Threads and locks (outermost first): replaceMu (synthetic typing: the
// worker's jobs, each held-key replay, the selection conversion), handleMu
// (one key decision at a time: the tap thread's live keys and the worker's
// replayed keys; the worker also takes it to record a typed fix, so the key
// that queued the fix is done first), jobsMu (read: putting a job; write: closing the queue),
// deferMu (busy, deferred, heldDown, and putting a job), then each
// component's own lock. invalidateContext runs on the tap, worker and main
// threads and takes no lock of its own. The worker waits for the tap to
// catch up (tapCaughtUp) holding at most replaceMu, which the tap thread
// never takes.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_set>
#include <utility>

#include "detect/detector.h"
#include "log/clock.h"
#include "log/error.h"
#include "pipeline/buffer.h"
#include "pipeline/double_shift.h"
#include "pipeline/job_queue.h"
#include "pipeline/layout_keys.h"
#include "pipeline/replacement_job.h"
#include "pipeline/rollback_tracker.h"
#include "pipeline/undo_state.h"
#include "store/config.h"
#include "store/exception_store.h"

namespace vyx {

// What the pipeline does to the system. The shell fills them with the
// bridge's operations; tests with recording fakes. Any may be empty.
struct AppOps {
  // Erases count characters and types text in app, the application the word
  // was typed in; fails when it stopped because another one came to the
  // front or the permission to type went, having typed part of it or nothing.
  std::function<Status(int64_t count, const std::string& text, const std::string& app)> replaceText;
  std::function<void(char32_t ch)> sendChar;
  std::function<void(uint16_t keycode, int64_t flags)> sendEnter;
  // A held key again; text is all the key gave, ch its first UTF-16 unit.
  std::function<void(uint16_t keycode, char32_t ch, int64_t flags, std::u16string_view text)>
      postKey;
  std::function<void(uint64_t token, int64_t eventType)> postMouse;
  std::function<void(uint64_t token)> releaseMouse;
  std::function<void(bool on)> mouseGate;
  std::function<std::string()> frontmostApp;
  // Returns once the event tap has dealt with every event the system had
  // before the call, its notices that the tap was disabled included; false
  // when it cannot tell. A key the tap swallowed too late is known to have
  // reached the application by then. Empty: there is nothing to wait for.
  std::function<bool()> tapCaughtUp;
  // The application keys reach this very moment; frontmostApp, a cache,
  // follows it a little later. Empty: frontmostApp stands in.
  std::function<std::string()> frontmostAppNow;
  std::function<bool()> trayEnabled;
  // Whether what the program posts still reaches the applications: a person
  // can take the permission away at any time, and the system then drops
  // posts without a word. Empty: it does.
  std::function<bool()> inputAccess;
  // The layout of the input source selected this very moment; other when
  // none the key tables know.
  std::function<KeyLayout()> keyLayout;
  // Converts the selection of app, the application the hotkey was pressed in.
  std::function<void(Detector& detector, const std::string& app)> convertSel;
};

// Held while the program types synthetic input; outermost lock.
extern std::mutex replaceMu;
// 1 while a job, a key replay or a selection conversion posts synthetic input.
extern std::atomic<int32_t> injecting;

// Sets injecting for one scope and clears it on every way out.
class InjectingScope final {
 public:
  InjectingScope() { injecting.exchange(1); }
  ~InjectingScope() { injecting.exchange(0); }
  InjectingScope(const InjectingScope&) = delete;
  InjectingScope& operator=(const InjectingScope&) = delete;
};

inline constexpr size_t kJobQueueCapacity = 8;

class App final {
 public:
  App(Config& cfg, ExceptionStore* store, Detector& detector, RollbackTracker* tracker,
      undoState& undo, AppOps ops, Clock now);
  // Stops the worker (draining what is queued) and joins it, however long
  // that takes. The running program never destroys its App: at exit it calls
  // StopWorker with a time-out and leaves the worker be.
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // Entry points of the event tap. text is all the key gave (ch is its
  // first UTF-16 unit), kept whole for a key held back.
  [[nodiscard]] bool onKeyEvent(uint16_t keycode, char32_t ch, int64_t flags,
                                std::u16string_view text = {});
  [[nodiscard]] bool onKeyUp(uint16_t keycode);
  [[nodiscard]] bool onMouseEvent(uint64_t token, int64_t eventType);
  void invalidateContext();
  // The system gave up waiting for the tap while it swallowed the last key
  // down, so that key reached the application after all: a job it queued
  // must not type it again, nor a replay a key it held. Tap thread.
  void lastKeyReachedApplication();
  // The tap was off for a while, or a key got by it: the context goes.
  // When that happened in the middle of a word, the rest of it is left as
  // typed, since the word on screen is longer than what the tap saw of it.
  void keysWentByUnseen(bool midWord);
  // The event tap left the event path because the permission went (or the
  // worker found it gone before it posted): nothing queued or held until now
  // may be typed. The queued corrections are dropped; held keys and clicks
  // go to the application as they are while posting still works, and are
  // otherwise dropped, counted and told in one log line. Any thread.
  void inputPathLost();

  [[nodiscard]] bool enqueueReplacement(replacementJob job);
  [[nodiscard]] bool convertCurrentWord();
  [[nodiscard]] MonoTime clock() const;
  void startReplacementWorker();
  void StopWorker(std::chrono::nanoseconds timeout);

  // Read-only views for the shell and tests.
  [[nodiscard]] uint64_t generation() const { return contextGen.load(); }
  [[nodiscard]] bool isBusy();
  [[nodiscard]] Buffer& buffer() { return buf; }
  // The learned exceptions, null when the store could not be opened.
  [[nodiscard]] ExceptionStore* exceptionStore() const { return store; }
  // The settings, for the menu's exclusion of the frontmost application.
  [[nodiscard]] Config& config() const { return cfg; }
  // The frontmostApp operation as given; empty when the caller gave none.
  [[nodiscard]] const std::function<std::string()>& frontmostAppOp() const {
    return ops.frontmostApp;
  }

 private:
  friend class AppTestPeer;

  // Key path.
  bool processKeyEvent(uint16_t keycode, char32_t ch, int64_t flags, MonoTime now);
  bool onWord(const std::string& word, char32_t boundary);
  bool processReturn(uint16_t keycode, int64_t flags);
  // Whether the word just finished is the one keysWentByUnseen cut: true
  // once, for the first word finished in that context.
  bool finishedWordCut();
  void observeRetypeChar(char32_t ch);

  // Worker.
  void runReplacementWorker();
  void runReplacementJob(const replacementJob& job);
  void runSelectionJob(const replacementJob& job);
  void synthesizeBoundary(const replacementJob& job) const;
  // Whether the job's application (when it has one) is no longer front.
  bool appChanged(const replacementJob& job, const std::string& front);
  // Whether a key the worker posts for the job still reaches its application.
  bool jobAppInFront(const replacementJob& job) const;
  // Whether the key that queued the job reached the application by itself.
  bool boundaryReachedApp(const replacementJob& job) const;
  // Waits until the tap has dealt with every key that came before now; when
  // it cannot tell, what is on screen is unknown and the context goes.
  void awaitTapCaughtUp();

  // Input lost with the permission: whether posting works now; a job queued
  // before the loss, dropped (its boundary typed as is when it can be); a
  // held entry from before the loss, let go or dropped; the one log line of
  // what was dropped. Worker thread, but for postingAllowed.
  bool postingAllowed() const;
  bool dropJobIfInputLost(const replacementJob& job);
  [[nodiscard]] bool heldBeforeLoss(uint64_t seq) const;  // deferMu held
  void releaseHeldAfterLoss(deferredInput in);
  void reportLostInput();

  // Held input.
  std::pair<bool, bool> deferWhileBusy(uint16_t keycode, char32_t ch, int64_t flags,
                                       std::u16string_view text);
  void noteMouseDown();
  void replayDeferred();
  void replayMouse(uint64_t token, int64_t eventType);
  void replayKey(bool afterMouseDown, const deferredKey& key);
  void observeLiteralReplay(const deferredKey& key);
  void postInjected(const deferredKey& key) const;
  // A fix switched the source from `from` to `to`: the keys still held
  // were pressed on `from`, and are read as `to` gives them.
  void rereadHeldKeys(KeyLayout from, KeyLayout to);

  std::string frontmost() const;
  std::string frontmostNow() const;
  KeyLayout keyLayoutNow() const;
  bool enabled() const;

  Config& cfg;
  ExceptionStore* store;
  Detector& detector;
  RollbackTracker* tracker;
  Buffer buf;
  undoState& undo;
  doubleShiftDetector doubleShift;
  Clock now;

  std::shared_mutex jobsMu;
  std::unique_ptr<BoundedQueue<replacementJob>> jobs;
  std::shared_ptr<OneShotSignal> workerDone;
  std::atomic<bool> stopped{false};
  std::atomic<uint64_t> contextGen{0};
  // The context in which the word being typed may lack its beginning; none
  // when no context has that number.
  static constexpr uint64_t kNoCut = UINT64_MAX;
  std::atomic<uint64_t> cutContext{kNoCut};
  // Jobs by number (stamped when queued): the last stamped, the one the
  // tap's last key down queued (0: none), and the one whose key reached
  // the application although swallowed (0: none).
  std::atomic<uint64_t> lastJobSeq{0};
  std::atomic<uint64_t> lastKeyJob{0};
  std::atomic<uint64_t> boundaryPassedJob{0};
  // Jobs stamped and entries held up to these numbers came before the
  // permission went: never typed as decided. The held one under deferMu.
  std::atomic<uint64_t> lostJobsUpTo{0};
  uint64_t lostHeldUpTo = 0;
  // Keys and clicks dropped with the permission and not yet logged. Worker.
  int64_t lostDropped = 0;

  std::mutex handleMu;
  std::mutex deferMu;
  bool busy = false;
  // busy, written with it under deferMu, so that a key typed while nothing is
  // queued takes no lock to learn so. Only the thread that delivers keys
  // turns busy on, so a false read cannot go stale before that key is handled.
  std::atomic<bool> busyNow{false};
  std::deque<deferredInput> deferred;
  std::unordered_set<uint16_t> heldDown;
  // Whether heldDown holds a key, written with it: most keys are pressed
  // with none held and need not take deferMu again to release one.
  std::atomic<bool> anyHeldDown{false};
  // Held entries by number: the last numbered, and the last that the tap
  // had dealt with when the replay last waited for it; a later one may yet
  // turn out to have reached the application. Guarded by deferMu.
  uint64_t lastHeldSeq = 0;
  uint64_t tapCaughtUpTo = 0;
  // The entry the tap's last key down was held as (0: it was not held).
  // Written and read on the tap thread alone.
  std::atomic<uint64_t> lastKeyHeld{0};

  AppOps ops;
  std::thread worker;
};

// Builds the one App and starts its worker. store and tracker may be null;
// undo defaults to the process-wide record.
[[nodiscard]] std::unique_ptr<App> newApp(Config& cfg, ExceptionStore* store, Detector& detector,
                                          RollbackTracker* tracker, AppOps ops,
                                          Clock now = systemClock(), undoState* undo = nullptr);

// The function the event tap calls for every key-down and modifier change;
// true drops the event. Set once at start-up, before the tap starts. text is
// all the key gave, ch its first UTF-16 unit.
using KeyHandler =
    std::function<bool(uint16_t keycode, char32_t ch, int64_t flags, std::u16string_view text)>;
void setKeyHandler(KeyHandler handler);
[[nodiscard]] const KeyHandler& keyHandler();

// The running App, published once at start-up; null before.
void setTrayApp(App* app);
[[nodiscard]] App* getTrayApp();

}  // namespace vyx
