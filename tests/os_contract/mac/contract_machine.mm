// The Mac as the contract's machine. The tests run on the process's main
// thread, which serves its run loop in the default mode while they wait.
#include "os_contract/contract_machine.h"

#import <ApplicationServices/ApplicationServices.h>
#import <CoreFoundation/CoreFoundation.h>

namespace vyx::os::testing {

struct ContractMachine::State {};

ContractMachine::ContractMachine() : state_(std::make_unique<State>()) {}

ContractMachine::~ContractMachine() = default;

void ContractMachine::onMain(const std::function<void()>& work) {
  work();
}

bool ContractMachine::runMainUntil(const std::function<bool()>& done,
                                   std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.001, true);
  }
  return true;
}

std::string ContractMachine::withoutTrust() const {
  if (AXIsProcessTrusted()) return {};
  return "needs the Accessibility permission for the program that runs the tests "
         "(System Settings > Privacy & Security > Accessibility)";
}

}  // namespace vyx::os::testing
