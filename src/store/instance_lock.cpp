#include "store/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <utility>

#include "store/config.h"
#include "store/fs_util.h"

namespace vyx {

InstanceLock::InstanceLock(InstanceLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), unavailable_(std::move(other.unavailable_)) {}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    unavailable_ = std::move(other.unavailable_);
  }
  return *this;
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

namespace {

// Refusals name the file and how to mend it; they carry no errno, so that
// none reads as heldElsewhere.
Error mustMend(const std::string& what) {
  return Error(what + " and try again");
}

Error notAFile(const std::string& path) {
  return mustMend(path + " is not a regular file: remove it");
}

// "open /x/vyx.lock: Permission denied".
std::string failure(std::string_view op, const std::string& path, int err) {
  return Error::fromErrno(std::string(op) + " " + path, err).message();
}

// What a failed open of vyx.lock means; nullopt where the file system itself
// gives no lock here.
std::optional<Error> refusedOpen(const std::string& path, int err) {
  switch (err) {
    case ELOOP:   // a symbolic link (O_NOFOLLOW)
    case EISDIR:  // a directory
    case ENXIO:   // a socket
      return notAFile(path);
    case EACCES:
    case EPERM:
      return mustMend(failure("open", path, err) +
                      ": remove it (a run under sudo may have left it)");
    case EROFS:
      // A read-only volume: the file cannot be made, and nothing can be
      // saved beside it either.
      return std::nullopt;
    default:
      return mustMend(failure("open", path, err) + ": mend this");
  }
}

}  // namespace

Result<InstanceLock> lockConfigDir() {
  InstanceLock lock(-1);
  Result<std::string> dir = defaultConfigDir();
  if (!dir) {
    lock.unavailable_ = Error::wrap("resolve config dir", dir.error());
    return lock;
  }
  if (Status s = mkdirAll(*dir, 0700); !s) {
    lock.unavailable_ = Error::wrap("mkdir config", s.error());
    return lock;
  }
  const std::string path = joinPath({*dir, "vyx.lock"});
  // Never through a symbolic link, never blocking on a pipe, and not handed
  // to programs started later (they would hold the lock on after an exit).
  lock.fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (lock.fd_ < 0) {
    const int err = errno;
    if (std::optional<Error> refused = refusedOpen(path, err)) return *std::move(refused);
    lock.unavailable_ = Error::fromErrno("open " + path, err);
    return lock;
  }
  struct stat st {};
  if (::fstat(lock.fd_, &st) != 0) return mustMend(failure("stat", path, errno) + ": mend this");
  if (!S_ISREG(st.st_mode)) return notAFile(path);
  while (::flock(lock.fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const Error failed = Error::fromErrno("lock " + path, errno);
    if (heldElsewhere(failed)) return failed;
    // Locks this file system does not give (ENOLCK, EOPNOTSUPP, ...).
    ::close(std::exchange(lock.fd_, -1));
    lock.unavailable_ = failed;
    return lock;
  }
  return lock;
}

bool heldElsewhere(const Error& error) {
  return error.sysErrno() == EWOULDBLOCK;
}

}  // namespace vyx
