#include "store/fs_util.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

Result<std::string> readFile(const std::string& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return pathError("open", path, errno);
  std::string data;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      return pathError("read", path, errno);
    }
    if (n == 0) break;
    data.append(buf, static_cast<size_t>(n));
  }
  return data;
}

Status writeFile(const std::string& path, std::string_view data, mode_t mode) {
  Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode));
  if (fd.get() < 0) return pathError("open", path, errno);
  if (Status s = writeAll(fd.get(), data, path); !s) return s;
  return closeFd(fd, path);
}

Status writeFileAtomic(const std::string& path, std::string_view data, mode_t mode) {
  const std::string tmp = path + ".tmp";
  {
    Fd fd(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode));
    if (fd.get() < 0) return pathError("open", tmp, errno);
    if (Status s = writeAll(fd.get(), data, tmp); !s) return s;
    if (::fsync(fd.get()) != 0) return pathError("sync", tmp, errno);
    if (Status s = closeFd(fd, tmp); !s) return s;
  }
  if (Status s = renamePath(tmp, path); !s) return s;
  // Makes the rename itself durable; a directory that cannot be synced (some
  // file systems refuse) still holds a complete file either way.
  Fd dir(::open(parentDir(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) (void)::fsync(dir.get());
  return {};
}

Status renamePath(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) {
    return Error::fromErrno("rename " + from + " " + to, errno);
  }
  return {};
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
