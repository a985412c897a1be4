#include "shell/main/sim_platform.h"

#include <cstdlib>
#include <string_view>

#include "log/logger.h"

namespace vyx {

// The environment is read on the main thread before any other thread exists.
SimPlatform bringUpSimPlatform() {
  const char* trusted = std::getenv("VYX_SIM_TRUSTED");  // NOLINT(concurrency-mt-unsafe)
  const char* socket = std::getenv("VYX_SIM_SOCKET");    // NOLINT(concurrency-mt-unsafe)
  SimPlatform platform;
  platform.desktop = std::make_unique<os::sim::Desktop>(os::sim::DesktopOptions{
      .trusted = trusted != nullptr && std::string_view(trusted) == "1",
      .ownMainThread = false,
  });
  if (socket != nullptr && *socket != '\0') {
    auto served = os::sim::ControlServer::start(*platform.desktop, socket);
    if (!served.ok()) logFatalf("simulated desktop: control socket: %v", served.error());
    platform.control = std::move(served.value());
  }
  return platform;
}

}  // namespace vyx
