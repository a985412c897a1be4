#include "log/logger.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

namespace vyx {

std::atomic<int32_t> verboseLogging{0};

namespace {

// Never destroyed: another thread may log while the process ends.
std::mutex& logMu() {
  static std::mutex& mu = *new std::mutex;
  return mu;
}
std::atomic<int> logFd{STDERR_FILENO};
std::atomic<LogMirror> logMirror{nullptr};

std::string buildLine(std::string_view message) {
  std::string line;
  line.reserve(message.size() + 21);
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char prefix[32];
  const int n =
      std::snprintf(prefix, sizeof prefix, "%04d/%02d/%02d %02d:%02d:%02d ", tm.tm_year + 1900,
                    tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  line.append(prefix, static_cast<size_t>(n));
  line.append(message);
  if (message.empty() || message.back() != '\n') line += '\n';
  return line;
}

void writeAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return;  // nowhere left to report a failing log
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
}

}  // namespace

void logLine(std::string_view message, LogPrivacy privacy) {
  const std::string line = buildLine(message);
  const std::lock_guard lock(logMu());
  writeAll(logFd.load(), line);
  if (const LogMirror mirror = logMirror.load()) {
    if (!message.empty() && message.back() == '\n') message.remove_suffix(1);
    mirror(message, privacy);
  }
}

void logFatalLine(std::string_view message) {
  logLine(message);
  ::_exit(1);
}

int setLogFd(int fd) {
  return logFd.exchange(fd);
}

void setLogMirror(LogMirror mirror) {
  logMirror.store(mirror);
}

}  // namespace vyx
