// The Accessibility switch (accessibility.h) and the desktop's view of it.
#include "os/accessibility.h"
#include "os/sim/core_state.h"
#include "os/sim/desktop_impl.h"

namespace vyx::os::sim {

void Desktop::setTrusted(bool trusted) {
  const std::lock_guard lock(impl_->core.mu);
  impl_->core.system.trusted = trusted;
  impl_->core.server.answers.notify_all();
}

bool Desktop::trusted() const {
  const std::lock_guard lock(impl_->core.mu);
  return impl_->core.system.trusted;
}

void Desktop::setEventAccess(EventAccess access) {
  const std::lock_guard lock(impl_->core.mu);
  impl_->core.system.access = access;
}

int Desktop::accessibilityPrompts() const {
  const std::lock_guard lock(impl_->core.mu);
  return impl_->core.system.prompts;
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

bool preflightPostEventAccess() {
  sim::CoreState* core = sim::currentCore();
  if (core == nullptr) return false;
  const std::lock_guard lock(core->mu);
  return core->system.trusted && core->system.access.post;
}

}  // namespace vyx::os
