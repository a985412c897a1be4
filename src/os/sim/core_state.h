// The simulated machine below the user interface: events and the window
// server, event taps and run loops, the keyboard, applications and their
// text fields, input sources, the pasteboard, Accessibility and launches.
//
// Threads: the test (or control socket) thread, the window server thread,
// the program's tap thread inside runLoopRun, its worker threads and the
// main thread all reach this state.
// Locking, outermost first:
// - CoreState::mu guards every member below (and everything the member
//   headers say it guards). It is never held while program code runs (tap
//   callbacks, activation blocks, the busy probe), nor while anything is
//   posted to the main loop, so a callback may call any os:: function.
// - Event::mu (one per event) and PasteboardItem::mu (one per item) are
//   leaves: taken inside CoreState::mu or alone, never around it.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "os/sim/desktop.h"
#include "os/sim/input_source_state.h"
#include "os/sim/pasteboard_state.h"
#include "os/sim/sim_event.h"
#include "os/sim/window_server.h"
#include "os/sim/workspace_state.h"

namespace vyx::os::sim {

// The person's hands.
struct KeyboardState {
  std::vector<uint16_t> held;  // modifier keys down, in the order pressed
  bool capsLock = false;
  Point mouse;
};

struct SystemState {
  bool trusted = false;
  EventAccess access;  // what a trusted process may do beyond that
  int prompts = 0;
  std::vector<std::vector<std::string>> launches;
  std::optional<std::string> launchFailure;
  std::function<bool()> busyProbe;
  int typing = 0;  // typeAsPerson calls under way
};

struct CoreState {
  // Starts the window server.
  explicit CoreState(const DesktopOptions& options);
  // Stops the window server and every run loop, and waits until each
  // thread has left runLoopRun.
  ~CoreState();
  CoreState(const CoreState&) = delete;
  CoreState& operator=(const CoreState&) = delete;

  mutable std::mutex mu;
  const uint64_t serial;  // tells this desktop's run loops from an earlier one's
  EventStore events;
  WindowServer server;
  KeyboardState keyboard;
  Workspace workspace;
  InputSourceState sources;
  PasteboardState pasteboard;
  SystemState system;
};

// The current desktop's state; null when no desktop exists.
[[nodiscard]] CoreState* currentCore();

}  // namespace vyx::os::sim
