// One Vyx at a time per configuration directory: the running program, or a
// maintenance mode that changes the learned exceptions. Two of them would
// each save what they hold over the other's work (and two running programs
// would each correct every word).
//
// An advisory lock (flock) on vyx.lock in the directory, held while the
// value lives; the system releases it when the process ends, however it
// ends, so a crash never leaves it stuck.
#pragma once

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

 private:
  friend Result<InstanceLock> lockConfigDir();
  explicit InstanceLock(int fd) : fd_(fd) {}
  int fd_ = -1;
};

// Resolves the configuration directory, creates it (0700) and vyx.lock in it
// (0600), and takes the lock without waiting. vyx.lock is never followed
// when it is a symbolic link. When another process holds the lock the error
// answers heldElsewhere; when anything but a regular file stands at vyx.lock
// (a link, a directory, a pipe) it answers lockFileOccupied: no lock can be
// had there until the person removes it. Any other error means the
// directory or its file system gives no lock at all.
[[nodiscard]] Result<InstanceLock> lockConfigDir();
[[nodiscard]] bool heldElsewhere(const Error& error);
[[nodiscard]] bool lockFileOccupied(const Error& error);

}  // namespace vyx
