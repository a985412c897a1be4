#include "store/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "store/config.h"
#include "store/fs_util.h"

namespace vyx {

InstanceLock::InstanceLock(InstanceLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

namespace {

// Marked with EEXIST, which nothing else here reports: something that is not
// the lock file stands in its place.
constexpr int kOccupied = EEXIST;

Error notAFile(const std::string& path) {
  return Error(path + " is not a regular file", kOccupied);
}

}  // namespace

Result<InstanceLock> lockConfigDir() {
  Result<std::string> dir = defaultConfigDir();
  if (!dir) return Error::wrap("resolve config dir", dir.error());
  if (Status s = mkdirAll(*dir, 0700); !s) return Error::wrap("mkdir config", s.error());
  const std::string path = joinPath({*dir, "vyx.lock"});
  // Never through a symbolic link, never blocking on a pipe, and not handed
  // to programs started later (they would hold the lock on after an exit).
  InstanceLock lock(
      ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
  if (lock.fd_ < 0) {
    // A link (O_NOFOLLOW), a directory, a socket.
    if (errno == ELOOP || errno == EISDIR || errno == ENXIO) return notAFile(path);
    return Error::fromErrno("open " + path, errno);
  }
  struct stat st {};
  if (::fstat(lock.fd_, &st) != 0) return Error::fromErrno("stat " + path, errno);
  if (!S_ISREG(st.st_mode)) return notAFile(path);
  while (::flock(lock.fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EINTR) return Error::fromErrno("lock " + path, errno);
  }
  return lock;
}

bool heldElsewhere(const Error& error) {
  return error.sysErrno() == EWOULDBLOCK;
}

bool lockFileOccupied(const Error& error) {
  return error.sysErrno() == kOccupied;
}

}  // namespace vyx
