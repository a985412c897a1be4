// Accessibility, the "open" command, and telling when the desktop is quiet.
#include <thread>

#include "os/accessibility.h"
#include "os/launch.h"
#include "os/sim/core_state.h"
#include "os/sim/desktop_impl.h"

namespace vyx::os::sim {

void Desktop::setTrusted(bool trusted) {
  const std::lock_guard lock(impl_->core.mu);
  impl_->core.system.trusted = trusted;
}

bool Desktop::trusted() const {
  const std::lock_guard lock(impl_->core.mu);
  return impl_->core.system.trusted;
}

int Desktop::accessibilityPrompts() const {
  const std::lock_guard lock(impl_->core.mu);
  return impl_->core.system.prompts;
}

std::vector<std::vector<std::string>> Desktop::launches() const {
  const std::lock_guard lock(impl_->core.mu);
  return impl_->core.system.launches;
}

void Desktop::failLaunches(std::optional<std::string> message) {
  const std::lock_guard lock(impl_->core.mu);
  impl_->core.system.launchFailure = std::move(message);
}

void Desktop::setBusyProbe(std::function<bool()> busy) {
  const std::lock_guard lock(impl_->core.mu);
  impl_->core.system.busyProbe = std::move(busy);
}

bool Desktop::waitIdle(std::chrono::milliseconds timeout, std::chrono::milliseconds quiet) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + timeout;
  CoreState& core = impl_->core;
  for (;;) {
    bool busy = false;
    Clock::time_point lastPost;
    std::function<bool()> probe;
    {
      const std::lock_guard lock(core.mu);
      busy = windowServerBusyLocked(core) || core.system.typing > 0;
      lastPost = core.server.lastPost;
      probe = core.system.busyProbe;
    }
    // The probe is the program's code: asked without the desktop's lock.
    busy = busy || !impl_->main.idle() || (probe && probe());
    const auto now = Clock::now();
    if (!busy && now - lastPost >= quiet) return true;
    if (now >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace vyx::os::sim

namespace vyx::os {

bool axIsProcessTrusted() {
  sim::CoreState* core = sim::currentCore();
  if (core == nullptr) return false;
  const std::lock_guard lock(core->mu);
  return core->system.trusted;
}

// The system shows its prompt only to a process that is not trusted yet;
// each such call counts as one prompt shown.
bool axIsProcessTrustedWithOptions(bool prompt) {
  sim::CoreState* core = sim::currentCore();
  if (core == nullptr) return false;
  const std::lock_guard lock(core->mu);
  if (prompt && !core->system.trusted) ++core->system.prompts;
  return core->system.trusted;
}

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
