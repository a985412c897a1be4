// The thread that serves the event tap: it puts the tap's source on its own
// run loop, enables the tap and runs the loop, so that every event the tap
// sees is handed to the callback there. A run loop belongs to its thread, so
// the thread serves one tap for as long as that tap runs.
//
// Threads: start on whichever thread starts the hook; stop on any thread,
// once. The tap and its source belong to the serving thread from start on:
// it gives them back when it cannot serve, when stop asks it to, and never
// when the machine under it goes away (the simulated desktop frees them).
#pragma once

#include <chrono>
#include <memory>

#include "log/error.h"
#include "os/event_tap.h"

namespace vyx {

class TapThread final {
 public:
  // Starts the thread and returns once it serves the tap, or why it cannot
  // (the tap and source are then given back, and nothing of them is left).
  [[nodiscard]] static Result<std::shared_ptr<TapThread>> start(os::EventTap* tap,
                                                                os::RunLoopSource* source);

  // Takes the tap out of the event path at once, then has the thread leave
  // its run loop, give back the tap and the source, and end; waits for that
  // at most timeout. A disabled tap holds nothing up, so a thread that is
  // late only leaks the port.
  void stop(std::chrono::milliseconds timeout);

  struct State;
  explicit TapThread(std::shared_ptr<State> state) : state_(std::move(state)) {}

 private:
  std::shared_ptr<State> state_;
};

}  // namespace vyx
