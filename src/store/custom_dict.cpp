#include "store/custom_dict.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "log/logger.h"
#include "store/config.h"
#include "store/fs_util.h"
#include "text/unicode.h"

namespace vyx {

namespace {

// A user word list of a few MB is already very large; a bigger file is not read.
constexpr size_t kCustomDictMaxBytes = size_t{16} << 20;

constexpr std::string_view kHeader =
    "# Свой словарь Vyx. Одно слово в строке, регистр не важен.\n"
    "# Строки, начинающиеся с «#», и пустые строки пропускаются.\n"
    "# Изменения подхватываются сами, перезапускать приложение не нужно.\n";

}  // namespace

Result<std::string> customDictPath() {
  Result<std::string> dir = defaultConfigDir();
  if (!dir) return dir.error();
  return joinPath({*dir, "custom_dict.txt"});
}

Status ensureCustomDictFile(const std::string& path) {
  const std::string dir = parentDir(path);
  if (Status s = mkdirAll(dir, 0700); !s) return s;
  if (Status s = chmodPath(dir, 0700); !s) return s;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    if (errno == EEXIST) return chmodPath(path, 0600);
    return Error::fromErrno("open " + path, errno);
  }
  std::string_view rest = kHeader;
  while (!rest.empty()) {
    const ssize_t n = ::write(fd, rest.data(), rest.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      return Error::fromErrno("write " + path, err);
    }
    rest.remove_prefix(static_cast<size_t>(n));
  }
  if (::close(fd) != 0 && errno != EINTR) return Error::fromErrno("close " + path, errno);
  return {};
}

StringSet parseCustomDict(std::string_view text) {
  StringSet words;
  // Editors on some systems begin a UTF-8 file with a byte order mark; it is
  // no part of the first word.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = trimSpace(text.substr(start, end - start));
    if (!line.empty() && line.front() != '#') words.insert(toLower(line));
    start = end + 1;
  }
  return words;
}

CustomDictPoller::CustomDictPoller(std::string p, CustomWordsReceiver r)
    : path(std::move(p)), receiver(std::move(r)) {}

void CustomDictPoller::check() {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno != ENOENT || lastSize == -1) return;
    lastSize = -1;
    lastMtime = {};
    receiver(std::make_shared<const StringSet>());
    logLine("custom dict: file removed, 0 words");
    return;
  }
  if ((st.st_mode & 0777) != 0600) {
    if (Status s = chmodPath(path, 0600); !s) logf("custom dict: chmod 0600 failed: %v", s.error());
  }
  const timespec mtime = modificationTime(st);
  if (mtime.tv_sec == lastMtime.tv_sec && mtime.tv_nsec == lastMtime.tv_nsec &&
      static_cast<int64_t>(st.st_size) == lastSize) {
    return;
  }
  if (Status s = checkStoredFile("read", path, st, kCustomDictMaxBytes); !s) {
    // Remembered like a load, so that the line is written once per change of
    // the file; the previous words stay.
    lastSize = static_cast<int64_t>(st.st_size);
    lastMtime = mtime;
    logf("custom dict: %v — not loaded", s.error());
    return;
  }
  Result<std::string> text = readFile(path, kCustomDictMaxBytes);
  if (!text) return;  // the previous words stay; the next tick tries again
  lastSize = static_cast<int64_t>(st.st_size);
  lastMtime = mtime;
  auto words = std::make_shared<const StringSet>(parseCustomDict(*text));
  const size_t count = words->size();
  receiver(std::move(words));
  logf("custom dict: %d words loaded", count);
}

namespace {

// What the poller thread and the stop function share.
struct WatcherSignals {
  std::mutex mu;
  std::condition_variable cv;
  bool stop = false;
};

// Owns the poller thread; the last copy of the stop function to go stops it.
class WatcherHandle final {
 public:
  WatcherHandle(std::shared_ptr<WatcherSignals> s, std::thread t)
      : signals_(std::move(s)), thread_(std::move(t)) {}
  ~WatcherHandle() { stop(); }
  WatcherHandle(const WatcherHandle&) = delete;
  WatcherHandle& operator=(const WatcherHandle&) = delete;

  void stop() {
    std::call_once(stopOnce_, [this] {
      {
        std::lock_guard lock(signals_->mu);
        signals_->stop = true;
      }
      signals_->cv.notify_all();
    });
    std::lock_guard lock(joinMu_);
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::shared_ptr<WatcherSignals> signals_;
  std::thread thread_;
  std::once_flag stopOnce_;
  std::mutex joinMu_;
};

void pollLoop(CustomDictPoller poller, std::chrono::nanoseconds interval,
              const std::shared_ptr<WatcherSignals>& signals) {
  poller.check();
  auto next = std::chrono::steady_clock::now() + interval;
  std::unique_lock lock(signals->mu);
  for (;;) {
    if (signals->cv.wait_until(lock, next, [&] { return signals->stop; })) return;
    lock.unlock();
    poller.check();
    lock.lock();
    // Like a ticker, a slow check drops the ticks it overran.
    const auto now = std::chrono::steady_clock::now();
    next += interval;
    if (next <= now) next = now + interval;
  }
}

}  // namespace

std::function<void()> startCustomDictWatcher(std::string path, CustomWordsReceiver receiver,
                                             std::chrono::nanoseconds interval) {
  auto signals = std::make_shared<WatcherSignals>();
  std::thread thread(pollLoop, CustomDictPoller(std::move(path), std::move(receiver)), interval,
                     signals);
  auto handle = std::make_shared<WatcherHandle>(signals, std::move(thread));
  return [handle] { handle->stop(); };
}

}  // namespace vyx
