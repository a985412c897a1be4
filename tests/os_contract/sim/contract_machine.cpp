// The simulated desktop as the contract's machine: Accessibility granted,
// and timers on the driven clock, which runMainUntil moves a millisecond at
// a time.
#include "os_contract/contract_machine.h"

#include "os/sim/desktop.h"

namespace vyx::os::testing {

struct ContractMachine::State {
  sim::Desktop desktop{sim::DesktopOptions{.trusted = true, .drivenClock = true}};
};

ContractMachine::ContractMachine() : state_(std::make_unique<State>()) {}

ContractMachine::~ContractMachine() = default;

void ContractMachine::onMain(const std::function<void()>& work) {
  state_->desktop.onMain(work);
}

bool ContractMachine::runMainUntil(const std::function<bool()>& done,
                                   std::chrono::milliseconds timeout) {
  constexpr std::chrono::milliseconds kStep{1};
  for (std::chrono::milliseconds waited{0};; waited += kStep) {
    bool finished = false;
    state_->desktop.onMain([&] { finished = done(); });
    if (finished) return true;
    if (waited >= timeout) return false;
    state_->desktop.advance(kStep);  // fires the timers due and drains the queue
  }
}

std::string ContractMachine::withoutTrust() const {
  return {};
}

}  // namespace vyx::os::testing
