// The main thread's loop: the application's main queue, the timers of the
// main run loop, and a control queue through which the desktop's own
// operations reach the main thread. A modal alert runs a nested loop that
// serves only the control queue and the blocks queued for all modes, so
// other queued work and timers wait for it, as on a Mac.
//
// Threads: post, control, stop and the queries from any thread; run,
// runModal and the timer calls on the main thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "os/sim/clock.h"

namespace vyx::os::sim {

class MainLoop final {
 public:
  explicit MainLoop(SimClock& clock) : clock_(clock) {}
  MainLoop(const MainLoop&) = delete;
  MainLoop& operator=(const MainLoop&) = delete;

  // The calling thread becomes the main thread and serves the loop until
  // stop(). Control work still queued at that point runs before it returns.
  void run();
  // Makes the calling thread the main thread before the loop runs, so that
  // start-up can build the user interface there and then call run().
  void bindMainThread();
  // Ends run() (and any modal loop); later control calls return at once.
  void stop();
  [[nodiscard]] bool isMainThread() const;
  [[nodiscard]] bool hasMainThread() const;

  // The application's main queue. A block for all modes also runs inside a
  // modal loop, in its turn among the other blocks for all modes.
  enum class Modes { normal, all };
  void post(std::function<void()> block, Modes modes = Modes::normal);
  // Runs work on the main thread and waits for it; runs it at once when
  // called on the main thread. Does nothing once the loop has stopped.
  void control(const std::function<void()>& work);

  // Main thread only.
  uint64_t addTimer(double interval, bool repeats, std::function<void()> fire);
  void cancelTimer(uint64_t id);
  // A nested loop serving only control work and blocks for all modes until
  // done() holds.
  void runModal(const std::function<bool()>& done);
  [[nodiscard]] bool inModal() const { return modalDepth_.load() > 0; }

  // Wakes the loop to look at the clock again (after the driven clock moved).
  void wake();
  // True when no main-queue block is waiting or running.
  [[nodiscard]] bool idle() const;
  // Blocks until every block posted before the call has run, or a modal
  // loop holds them back.
  void waitPostedBefore();

 private:
  struct Timer {
    double interval = 0;
    bool repeats = false;
    SimClock::time_point due;
    std::function<void()> fire;
  };
  struct ControlItem {
    std::function<void()> work;
    bool done = false;
  };
  struct Modal {
    const std::function<bool()>* done = nullptr;
    bool ended = false;  // counted out of modalDepth_ already
  };

  struct Block {
    std::function<void()> work;
    Modes modes = Modes::normal;
  };

  // One pass: control work, then (outside a modal) due timers and one block,
  // or (inside one) one block for all modes.
  // Returns false when the loop was stopped.
  bool serveOnce(bool modal, std::unique_lock<std::mutex>& lock);
  void runControl(std::unique_lock<std::mutex>& lock);
  // Runs the first queued block that the loop serves in its state.
  bool runOneBlock(bool modal, std::unique_lock<std::mutex>& lock);
  [[nodiscard]] bool hasAllModesBlock() const;
  void endModalIfDone(std::unique_lock<std::mutex>& lock);
  bool fireOneDueTimer(std::unique_lock<std::mutex>& lock);
  [[nodiscard]] SimClock::time_point nextDueLocked() const;

  SimClock& clock_;
  mutable std::mutex mu_;
  std::condition_variable cv_;      // the main thread waits here
  std::condition_variable doneCv_;  // control callers and queue watchers wait here
  std::thread::id mainId_;
  bool hasMain_ = false;
  bool stopped_ = false;
  std::deque<Block> queue_;
  uint64_t postedCount_ = 0;
  uint64_t ranCount_ = 0;
  bool runningBlock_ = false;
  std::deque<std::shared_ptr<ControlItem>> controls_;
  std::map<uint64_t, Timer> timers_;  // guarded by mu_, fired on the main thread
  uint64_t nextTimerId_ = 1;
  std::atomic<int> modalDepth_{0};  // written on the main thread
  std::vector<Modal*> modals_;      // main thread only, innermost last
};

// Ends the process with a message when the caller is not the main thread:
// the user interface belongs to it alone.
void requireMainThread(const char* operation);

}  // namespace vyx::os::sim
