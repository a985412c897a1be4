// The machine this build runs on: a simulated desktop inside the process,
// made on the main thread, which stays the desktop's main thread and later
// runs its event loop. A driver (the end-to-end tests, the demo) sets the
// desktop's first state through the environment and then acts as the
// person over the control socket:
//
//   VYX_SIM_SOCKET   path of the control socket; without it nobody can
//                    drive the desktop and the program sits on it idle
//   VYX_SIM_TRUSTED  "1": the Accessibility permission is granted from the
//                    start; anything else: not granted, like a fresh Mac
//
// Everything else is the desktop's default: one text editor,
// "com.apple.TextEdit", frontmost; the U.S. and the Russian input sources,
// U.S. selected.
#pragma once

#include <memory>

#include "os/sim/control/server.h"
#include "os/sim/desktop.h"

namespace vyx {

struct SimPlatform {
  std::unique_ptr<os::sim::Desktop> desktop;
  std::unique_ptr<os::sim::ControlServer> control;  // null without VYX_SIM_SOCKET
};

// Makes the desktop and, when asked, serves its control socket; a socket
// that cannot be served is fatal, since the driver that asked for it would
// wait for nothing.
[[nodiscard]] SimPlatform bringUpSimPlatform();

}  // namespace vyx
