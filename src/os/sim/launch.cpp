// The "open" command (launch.h): launches are recorded, or fail on request.
#include "os/launch.h"
#include "os/sim/core_state.h"
#include "os/sim/desktop_impl.h"

namespace vyx::os::sim {

std::vector<std::vector<std::string>> Desktop::launches() const {
  const std::lock_guard lock(impl_->core.mu);
  return impl_->core.system.launches;
}

void Desktop::failLaunches(std::optional<std::string> message) {
  const std::lock_guard lock(impl_->core.mu);
  impl_->core.system.launchFailure = std::move(message);
}

}  // namespace vyx::os::sim

namespace vyx::os {

// Only launches that started are recorded: what the person would see open.
Status launchOpen(const std::vector<std::string>& arguments) {
  sim::CoreState* core = sim::currentCore();
  if (core == nullptr) return Error("open: no simulated desktop");
  const std::lock_guard lock(core->mu);
  if (core->system.launchFailure) return Error(*core->system.launchFailure);
  core->system.launches.push_back(arguments);
  return {};
}

}  // namespace vyx::os
