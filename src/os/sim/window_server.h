// The simulated window server: one queue of events (the person's and every
// posted one), a thread that passes each event through the enabled event
// taps in tap order and then hands it to the frontmost application, and
// the run loops on which the taps' callbacks run.
//
// An active tap of a process that is not trusted holds every event up until
// it is disabled or released (a Mac's session freezes so): the window
// server gives up on it after the tap time-out, as on a slow callback.
//
// An event goes to a tap as a job on the tap's queue; the run loop that
// holds the tap's source runs it on its own thread while the window server
// waits for the answer. An answer that does not come within the tap
// time-out disables the tap: the event goes on without it, and a
// disabled-by-timeout notice is queued for the callback, which runs once
// its thread is free again.
//
// Threads: every member is guarded by CoreState::mu, and every function
// here expects it held (the serving functions drop it around callbacks).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "os/event_tap.h"
#include "os/sim/registry.h"
#include "os/sim/sim_event.h"

namespace vyx::os::sim {

struct CoreState;

// One event offered to one tap callback.
struct TapJob {
  Event* event = nullptr;  // the job's own reference
  EventType type = 0;
  uint64_t seq = 0;        // run loops take their taps' jobs in this order
  bool notice = false;     // a disabled-tap notice: nobody waits for its answer
  bool done = false;       // the callback answered in time
  bool abandoned = false;  // the window server went on without the answer
  Event* answer = nullptr;
};

}  // namespace vyx::os::sim

namespace vyx::os {

struct EventTap {
  EventMask mask = 0;
  EventTapCallBack callback = nullptr;
  void* userInfo = nullptr;
  bool listenOnly = false;
  bool enabled = false;
  bool released = false;
  RunLoop* loop = nullptr;  // the run loop that holds the tap's source
  std::deque<std::shared_ptr<sim::TapJob>> jobs;
  uint64_t eventsSeen = 0;
  uint64_t timeouts = 0;
};

struct RunLoopSource {
  EventTap* tap = nullptr;
  bool invalid = false;  // made while the desktop fails sources: no loop takes it
};

struct RunLoop {
  bool hasSource = false;
  int running = 0;  // threads inside runLoopRun on this loop
  bool stopRequested = false;
};

}  // namespace vyx::os

namespace vyx::os::sim {

struct WindowServer {
  std::deque<Event*> queue;  // each entry holds the window server's reference
  bool inFlight = false;
  std::chrono::steady_clock::time_point lastPost{};
  std::chrono::milliseconds tapTimeout{1000};
  bool refuseTaps = false;
  bool failSources = false;  // new run-loop sources are invalid

  std::vector<std::unique_ptr<EventTap>> tapStore;  // taps live as long as the desktop
  std::vector<EventTap*> taps;                      // in the order events pass them
  Registry<RunLoopSource> sources;
  std::vector<std::unique_ptr<RunLoop>> loops;
  uint64_t nextJob = 0;
  int callbacksRunning = 0;
  int threadsInRun = 0;
  bool stopping = false;

  std::condition_variable work;      // the window server thread waits for events
  std::condition_variable loopWork;  // run loops wait for jobs
  // The window server waits for a callback, or for an untrusted tap to leave
  // the path: told of answers, trust and taps disabled or released.
  std::condition_variable answers;
  std::condition_variable exits;  // shutdown waits for the run loops to empty
  std::thread thread;
};

// Puts an event (with its reference) at the end of the queue.
void enqueueLocked(CoreState& core, Event* event);
// Queues a disabled-tap notice of the type for the tap's callback.
void noticeLocked(CoreState& core, EventTap* tap, EventType type);
// Whether an event is queued or in flight, or a callback runs or waits.
[[nodiscard]] bool windowServerBusyLocked(const CoreState& core);

// The window server thread's body.
void runWindowServer(CoreState& core);
// runLoopRun's body on the calling thread.
void serveRunLoop(CoreState& core, RunLoop* loop, std::unique_lock<std::mutex>& lock);
// Stops the window server and every run loop and waits for their threads.
void stopWindowServer(CoreState& core);

}  // namespace vyx::os::sim
