// The machine the seam's contract runs on: the simulated desktop here, the
// Mac itself on a Mac. One exists at a time; each test makes its own.
//
// Threads: made, asked and destroyed on the test's thread.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace vyx::os::testing {

class ContractMachine final {
 public:
  ContractMachine();
  ~ContractMachine();
  ContractMachine(const ContractMachine&) = delete;
  ContractMachine& operator=(const ContractMachine&) = delete;

  // Runs work on the main thread and returns once it has run.
  void onMain(const std::function<void()>& work);
  // Lets the main thread serve its queue and its timers until done (asked on
  // the main thread) holds, or the timeout has passed: false then.
  [[nodiscard]] bool runMainUntil(const std::function<bool()>& done,
                                  std::chrono::milliseconds timeout);
  // Why the tests that tap or post events cannot run here: the access the
  // process lacks (Accessibility; Input Monitoring for the listen-only taps
  // they use; posting), named; empty when they can.
  [[nodiscard]] std::string withoutTrust() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vyx::os::testing
