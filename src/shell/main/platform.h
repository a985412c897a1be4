// The machine the program runs on, picked at build time: the Mac itself, or
// on other systems the simulated desktop inside the process. main makes it
// first, on the main thread, and keeps it for the life of the process.
//
// Threads: made and told on the main thread.
#pragma once

#include <functional>
#include <memory>

namespace vyx {

class Platform final {
 public:
  // A platform that cannot be brought up is fatal: nothing could run.
  Platform();
  ~Platform();
  Platform(const Platform&) = delete;
  Platform& operator=(const Platform&) = delete;

  // Tells whether the program is busy (a correction queued or being typed),
  // for whoever waits on the machine for quiet; a Mac has nobody to tell.
  void setBusyProbe(const std::function<bool()>& busy);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vyx
