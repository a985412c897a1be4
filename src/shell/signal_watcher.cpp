#include "shell/signal_watcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <thread>

#include "log/logger.h"
#include "shell/orderly_exit.h"

namespace vyx {

namespace {

// The write end of the notice pipe; -1 before the watcher subscribed.
std::atomic<int> noticeFd{-1};

extern "C" void onSignal(int signo) {
  const int savedErrno = errno;
  const auto notice = static_cast<char>(signo);
  // Non-blocking: once the pipe is full, further notices are dropped.
  (void)!::write(noticeFd.load(), &notice, 1);
  errno = savedErrno;
}

bool subscribe(int& readFd) {
  int fds[2];
  if (::pipe(fds) != 0) return false;
  for (const int fd : fds) (void)::fcntl(fd, F_SETFD, FD_CLOEXEC);
  (void)::fcntl(fds[1], F_SETFL, O_NONBLOCK);
  readFd = fds[0];
  noticeFd.store(fds[1]);
  struct sigaction action {};
  action.sa_handler = onSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0;
}

void watchSignals() {
  int readFd = -1;
  if (!subscribe(readFd)) {
    logf("signal watcher: %v", Error::fromErrno("subscribe", errno));
    return;
  }
  char notice = 0;
  while (::read(readFd, &notice, 1) != 1) {
    if (errno != EINTR) return;
  }
  logLine("Shutting down");
  runBeforeExitHook();
  exitProcess(0);
}

}  // namespace

void startSignalWatcher() {
  std::thread(watchSignals).detach();
}

}  // namespace vyx
