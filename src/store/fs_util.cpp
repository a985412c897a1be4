#include "store/fs_util.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <utility>

namespace vyx {

namespace {

// Closes a descriptor on every path out of a function.
class Fd final {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  [[nodiscard]] int get() const { return fd_; }
  [[nodiscard]] int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

Error pathError(std::string_view op, std::string_view path, int err) {
  return Error::fromErrno(std::string(op) + " " + std::string(path), err);
}

Status writeAll(int fd, std::string_view data, const std::string& path) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return pathError("write", path, errno);
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return {};
}

Status closeFd(Fd& fd, const std::string& path) {
  if (::close(fd.release()) != 0 && errno != EINTR) return pathError("close", path, errno);
  return {};
}

// "64 MiB" for the round limits the stored files have, else a byte count.
std::string sizeText(size_t bytes) {
  constexpr size_t kMiB = size_t{1} << 20;
  if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
  return std::to_string(bytes) + " bytes";
}

// Refusals are no failures of the system, so they carry no errno.
Error tooLarge(std::string_view op, std::string_view path, size_t maxBytes) {
  return Error(std::string(op) + " " + std::string(path) + ": larger than " + sizeText(maxBytes));
}

Error contentsTooLarge(std::string_view path, size_t maxBytes) {
  return Error("write " + std::string(path) + ": new contents larger than " + sizeText(maxBytes));
}

}  // namespace

std::string cleanPath(std::string_view path) {
  if (path.empty()) return ".";
  const bool rooted = path.front() == '/';
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i <= path.size()) {
    size_t j = path.find('/', i);
    if (j == std::string_view::npos) j = path.size();
    const std::string_view part = path.substr(i, j - i);
    if (part.empty() || part == ".") {
      // nothing
    } else if (part == "..") {
      if (!out.empty() && out.back() != "..") {
        out.pop_back();
      } else if (!rooted) {
        out.push_back(part);
      }
    } else {
      out.push_back(part);
    }
    i = j + 1;
  }
  std::string result = rooted ? "/" : "";
  for (size_t k = 0; k < out.size(); ++k) {
    if (k > 0) result += '/';
    result += out[k];
  }
  return result.empty() ? "." : result;
}

std::string joinPath(std::initializer_list<std::string_view> parts) {
  std::string joined;
  for (const std::string_view p : parts) {
    if (p.empty()) continue;
    if (!joined.empty()) joined += '/';
    joined += p;
  }
  return joined.empty() ? std::string() : cleanPath(joined);
}

std::string parentDir(std::string_view path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  return cleanPath(path.substr(0, slash + 1));
}

Status mkdirAll(const std::string& path, mode_t mode) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return {};
    return pathError("mkdir", path, ENOTDIR);
  }
  const std::string parent = parentDir(path);
  if (parent != path && parent != "." && parent != "/") {
    if (Status s = mkdirAll(parent, mode); !s) return s;
  }
  if (::mkdir(path.c_str(), mode) != 0) {
    const int err = errno;
    // Someone else may have made it meanwhile.
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return {};
    return pathError("mkdir", path, err);
  }
  return {};
}

Status checkStoredFile(std::string_view op, const std::string& path, const struct stat& st,
                       size_t maxBytes) {
  if (!S_ISREG(st.st_mode)) {
    return Error(std::string(op) + " " + path + ": not a regular file");
  }
  if (static_cast<uintmax_t>(st.st_size) > maxBytes) return tooLarge(op, path, maxBytes);
  return {};
}

Result<std::string> readFile(const std::string& path, size_t maxBytes, struct stat* opened) {
  // O_NONBLOCK: opening a named pipe for reading would otherwise wait for a
  // writer that may never come; it is refused below like any non-file.
  Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return pathError("open", path, errno);
  struct stat own {};
  struct stat& st = opened != nullptr ? *opened : own;
  if (::fstat(fd.get(), &st) != 0) return pathError("stat", path, errno);
  if (Status s = checkStoredFile("read", path, st, maxBytes); !s) return s.error();
  std::string data;
  data.reserve(static_cast<size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      return pathError("read", path, errno);
    }
    if (n == 0) break;
    data.append(buf, static_cast<size_t>(n));
    // The file may grow while it is read.
    if (data.size() > maxBytes) return tooLarge("read", path, maxBytes);
  }
  return data;
}

timespec modificationTime(const struct stat& st) {
#if defined(__APPLE__)
  return st.st_mtimespec;
#else
  return st.st_mtim;
#endif
}

Status writeFileAtomic(const std::string& filePath, std::string_view data, mode_t mode,
                       size_t maxBytes, const ReplaceFile& replace) {
  if (data.size() > maxBytes) return contentsTooLarge(filePath, maxBytes);
  // The temporary file goes beside the file the link leads to: a rename
  // never crosses file systems, and the link itself is never replaced.
  const Result<std::string> target = saveTarget("write", filePath);
  if (!target) return target.error();
  const std::string& path = *target;
  const std::string tmp = path + ".tmp";
  struct stat written {};
  {
    // A leftover of an earlier save goes first, whatever it is: a read-only
    // file would fail every save, and a symbolic link would lead the write
    // to whatever it points at. The new one is created exclusively.
    if (::unlink(tmp.c_str()) != 0 && errno != ENOENT) return pathError("remove", tmp, errno);
    Fd fd(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (fd.get() < 0) return pathError("open", tmp, errno);
    Status wrote = [&]() -> Status {
      if (::fchmod(fd.get(), mode) != 0) return pathError("chmod", tmp, errno);
      if (Status s = writeAll(fd.get(), data, tmp); !s) return s;
      if (::fsync(fd.get()) != 0) return pathError("sync", tmp, errno);
      if (::fstat(fd.get(), &written) != 0) return pathError("stat", tmp, errno);
      return closeFd(fd, tmp);
    }();
    if (!wrote) {
      // On a full disk the part written only takes the space the next save needs.
      (void)::unlink(tmp.c_str());
      return wrote;
    }
  }
  if (replace) {
    if (Status s = replace(tmp, path); !s) {
      // Only the file this wrote: a swap that failed half-way may have left another there.
      struct stat st {};
      if (::lstat(tmp.c_str(), &st) == 0 && st.st_dev == written.st_dev &&
          st.st_ino == written.st_ino) {
        (void)::unlink(tmp.c_str());
      }
      return s;
    }
  } else if (Status s = renamePath(tmp, path); !s) {
    return s;
  }
  // Makes the rename itself durable; a directory that cannot be synced (some
  // file systems refuse) still holds a complete file either way.
  Fd dir(::open(parentDir(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) (void)::fsync(dir.get());
  return {};
}

namespace {

// The names a kept file may take, in order.
std::string keptName(const std::string& path, int n) {
  if (n == 0) return path + ".corrupt.bak";
  return path + ".corrupt." + std::to_string(n) + ".bak";
}

// Enough for every mishap a person would not notice; beyond it the file
// stays, and the caller reports it.
constexpr int kKeptNames = 100;

// A copy of what path leads to, in a file made afresh: the link and the file
// it leads to both stay where the person put them.
Result<std::string> keepCopy(const std::string& path) {
  Fd in(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (in.get() < 0) return pathError("open", path, errno);
  struct stat st {};
  if (::fstat(in.get(), &st) != 0) return pathError("stat", path, errno);
  if (!S_ISREG(st.st_mode)) return Error("keep " + path + ": not a regular file");
  for (int n = 0; n < kKeptNames; ++n) {
    const std::string target = keptName(path, n);
    Fd out(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (out.get() < 0) {
      if (errno == EEXIST) continue;
      return pathError("open", target, errno);
    }
    Status copied = [&]() -> Status {
      char buf[65536];
      for (;;) {
        const ssize_t got = ::read(in.get(), buf, sizeof buf);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return pathError("read", path, errno);
        if (got == 0) break;
        if (Status s = writeAll(out.get(), {buf, static_cast<size_t>(got)}, target); !s) return s;
      }
      if (::fsync(out.get()) != 0) return pathError("sync", target, errno);
      return closeFd(out, target);
    }();
    if (!copied) {
      (void)::unlink(target.c_str());
      return copied.error();
    }
    return target;
  }
  return Error("keep " + path + ": no free name for another kept copy");
}

// How a file system without hard links answers link().
bool lacksHardLinks(int err) {
  switch (err) {
    case EPERM:
    case EOPNOTSUPP:
    case ENOSYS:
    case EMLINK:
#if ENOTSUP != EOPNOTSUPP
    case ENOTSUP:
#endif
      return true;
    default:
      return false;
  }
}

// Gives the file a second name and then drops the first: link() never
// replaces what already has that name, as rename() would. Where the file
// system has no hard links, the name is checked free just before the rename.
Result<std::string> keepByName(const std::string& path) {
  for (int n = 0; n < kKeptNames; ++n) {
    const std::string target = keptName(path, n);
    if (::link(path.c_str(), target.c_str()) == 0) {
      if (::unlink(path.c_str()) == 0) return target;
      const int err = errno;
      (void)::unlink(target.c_str());
      return pathError("remove", path, err);
    }
    if (errno == EEXIST) continue;
    if (const int err = errno; !lacksHardLinks(err)) {
      std::string names = path;
      names.append(" ").append(target);
      return pathError("link", names, err);
    }
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0) continue;
    if (Status s = renamePath(path, target); !s) return s.error();
    return target;
  }
  return Error("keep " + path + ": no free name for another kept copy");
}

}  // namespace

Result<std::string> keepAside(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return pathError("keep", path, errno);
  return S_ISLNK(st.st_mode) ? keepCopy(path) : keepByName(path);
}

Result<std::string> saveTarget(std::string_view op, const std::string& path) {
  namespace fs = std::filesystem;
  // As many links in a row as the system itself follows.
  constexpr int kMaxLinks = 40;
  fs::path at = path;
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat st {};
    if (::lstat(at.c_str(), &st) != 0) {
      const int err = errno;
      if (links == 0 && err == ENOENT) return path;
      if (err != ENOENT) return pathError(op, path, err);
      // Made through the link, in the folder the link names; the folder
      // itself is never made, for it may be a volume that is not mounted.
      std::error_code ec;
      const fs::path folder = fs::canonical(at.has_parent_path() ? at.parent_path() : ".", ec);
      if (ec || !fs::is_directory(folder) || !at.has_filename() || at.filename() == "..") {
        return Error(std::string(op) + " " + path + ": it links to " +
                     at.lexically_normal().string() +
                     ", whose folder does not exist (is its volume mounted?)");
      }
      return (folder / at.filename()).string();
    }
    if (!S_ISLNK(st.st_mode)) {
      if (links == 0) return path;
      // Resolved, so that the temporary file and the folder synced after the
      // rename are the target's own.
      std::error_code ec;
      const fs::path resolved = fs::canonical(at, ec);
      if (ec) return pathError(op, path, ec.value());
      return resolved.string();
    }
    std::error_code ec;
    const fs::path next = fs::read_symlink(at, ec);
    if (ec) return pathError(op, path, ec.value());
    // A relative link is read from the link's own folder.
    at = next.is_absolute() || !at.has_parent_path() ? next : at.parent_path() / next;
  }
  return pathError(op, path, ELOOP);
}

Status renamePath(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) {
    return Error::fromErrno("rename " + from + " " + to, errno);
  }
  return {};
}

bool cannotSwap(int err) {
  switch (err) {
    case EINVAL:
    case ENOSYS:
    case EOPNOTSUPP:
#if ENOTSUP != EOPNOTSUPP
    case ENOTSUP:
#endif
      return true;
    default:
      return false;
  }
}

namespace {

// A rename that swaps the two files, or one that never replaces a file.
Status renameAtomically(std::string_view op, const std::string& from, const std::string& to,
                        bool swap) {
#if defined(__APPLE__)
  const int done = ::renamex_np(from.c_str(), to.c_str(), swap ? RENAME_SWAP : RENAME_EXCL);
#else
  const int done = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(),
                               swap ? RENAME_EXCHANGE : RENAME_NOREPLACE);
#endif
  if (done != 0) return Error::fromErrno(std::string(op) + " " + from + " " + to, errno);
  return {};
}

}  // namespace

Status swapPaths(const std::string& a, const std::string& b) {
  return renameAtomically("swap", a, b, true);
}

Status renameNoReplace(const std::string& from, const std::string& to) {
  return renameAtomically("rename", from, to, false);
}

Status chmodPath(const std::string& path, mode_t mode) {
  if (::chmod(path.c_str(), mode) != 0) return pathError("chmod", path, errno);
  return {};
}

Result<std::vector<std::string>> listDir(const std::string& path) {
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path.c_str()), &::closedir);
  if (dir == nullptr) return pathError("open", path, errno);
  std::vector<std::string> names;
  // NOLINTNEXTLINE(concurrency-mt-unsafe): each call has its own DIR stream
  while (const dirent* e = ::readdir(dir.get())) {
    const std::string_view name = e->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool pathExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace vyx
