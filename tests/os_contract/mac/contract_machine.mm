// The Mac as the contract's machine. The tests run on the process's main
// thread, which serves its run loop in the default mode while they wait.
#include "os_contract/contract_machine.h"

#import <ApplicationServices/ApplicationServices.h>
#import <CoreFoundation/CoreFoundation.h>
#import <CoreGraphics/CoreGraphics.h>

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

// Asked without a prompt. A terminal that has Accessibility alone may not
// listen: its listen-only taps would come without keys, and the tests fail
// instead of being skipped.
std::string ContractMachine::withoutTrust() const {
  if (!AXIsProcessTrusted()) {
    return "needs the Accessibility permission for the program that runs the tests "
           "(System Settings > Privacy & Security > Accessibility)";
  }
  if (!CGPreflightListenEventAccess()) {
    return "needs the Input Monitoring permission for the program that runs the tests "
           "(System Settings > Privacy & Security > Input Monitoring)";
  }
  if (!CGPreflightPostEventAccess()) {
    return "the system refuses the program that runs the tests to post events "
           "(switch it off and on again in System Settings > Privacy & Security > "
           "Accessibility)";
  }
  return {};
}

}  // namespace vyx::os::testing
