// The inside of the simulated desktop, shared by the sim's own files.
#pragma once

#include "os/sim/clock.h"
#include "os/sim/core_state.h"
#include "os/sim/desktop.h"
#include "os/sim/main_loop.h"
#include "os/sim/ui_state.h"

namespace vyx::os::sim {

struct Desktop::Impl {
  explicit Impl(DesktopOptions opts)
      : options(std::move(opts)), clock(options.drivenClock), main(clock), core(options) {}

  DesktopOptions options;
  SimClock clock;
  MainLoop main;
  std::thread ownMain;  // when options.ownMainThread
  CoreState core;       // keyboard, events, taps, applications, pasteboard, sources
  UiState ui;           // main-thread only: menus, status item, alerts, windows
};

}  // namespace vyx::os::sim
