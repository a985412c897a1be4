// The simulated desktop as the machine: made on the main thread, which stays
// the desktop's main thread and later runs its event loop. A driver (the
// end-to-end tests, the demo) sets the desktop's first state through the
// environment and then acts as the person over the control socket:
//
//   VYX_SIM_SOCKET   path of the control socket; without it nobody can
//                    drive the desktop and the program sits on it idle
//   VYX_SIM_TRUSTED  "1": the Accessibility permission is granted from the
//                    start; anything else: not granted, like a fresh Mac
//
// Everything else is the desktop's default: one text editor,
// "com.apple.TextEdit", frontmost; the U.S. and the Russian input sources,
// U.S. selected.
#include <cstdlib>
#include <string_view>

#include "log/logger.h"
#include "os/sim/control/server.h"
#include "os/sim/desktop.h"
#include "shell/main/platform.h"

namespace vyx {

struct Platform::State {
  std::unique_ptr<os::sim::Desktop> desktop;
  std::unique_ptr<os::sim::ControlServer> control;  // null without VYX_SIM_SOCKET
};

// The environment is read on the main thread before any other thread exists.
// A socket that cannot be served is fatal, since the driver that asked for it
// would wait for nothing.
Platform::Platform() : state_(std::make_unique<State>()) {
  const char* trusted = std::getenv("VYX_SIM_TRUSTED");  // NOLINT(concurrency-mt-unsafe)
  const char* socket = std::getenv("VYX_SIM_SOCKET");    // NOLINT(concurrency-mt-unsafe)
  state_->desktop = std::make_unique<os::sim::Desktop>(os::sim::DesktopOptions{
      .trusted = trusted != nullptr && std::string_view(trusted) == "1",
      .ownMainThread = false,
  });
  if (socket != nullptr && *socket != '\0') {
    auto served = os::sim::ControlServer::start(*state_->desktop, socket);
    if (!served.ok()) logFatalf("simulated desktop: control socket: %v", served.error());
    state_->control = std::move(served.value());
  }
}

Platform::~Platform() = default;

// A driver's waitIdle then also waits for the program to go quiet.
void Platform::setBusyProbe(const std::function<bool()>& busy) {
  state_->desktop->setBusyProbe(busy);
}

}  // namespace vyx
