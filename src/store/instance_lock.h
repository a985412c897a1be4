// One Vyx at a time per configuration directory: the running program, or a
// maintenance mode that changes the learned exceptions. Two of them would
// each save what they hold over the other's work (and two running programs
// would each correct every word).
//
// An advisory lock (flock) on vyx.lock in the directory, held while the
// value lives; the system releases it when the process ends, however it
// ends, so a crash never leaves it stuck.
#pragma once

#include <optional>
#include <string>

#include "log/error.h"

namespace vyx {

class InstanceLock final {
 public:
  InstanceLock(InstanceLock&& other) noexcept;
  InstanceLock& operator=(InstanceLock&& other) noexcept;
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  ~InstanceLock();

  // Why no lock is held, where there is none to have: no configuration
  // directory, or a file system that gives no lock (or cannot make the file,
  // being read-only). Nothing a person could mend, so the caller goes on
  // unguarded. Empty while the lock is held.
  [[nodiscard]] const std::optional<Error>& unavailable() const { return unavailable_; }

 private:
  friend Result<InstanceLock> lockConfigDir();
  explicit InstanceLock(int fd) : fd_(fd) {}
  int fd_ = -1;
  std::optional<Error> unavailable_;
};

// Resolves the configuration directory, creates it (0700) and vyx.lock in it
// (0600), and takes the lock without waiting. vyx.lock is never followed
// when it is a symbolic link. An error refuses the run: when another process
// holds the lock it answers heldElsewhere; otherwise vyx.lock is something
// the person must mend first (a link, a directory, a file Vyx may not open,
// as one a run under sudo left), and the error names it and says how.
[[nodiscard]] Result<InstanceLock> lockConfigDir();
[[nodiscard]] bool heldElsewhere(const Error& error);

}  // namespace vyx
