// The real vyx program as a child process, for tests that run it whole: a
// temporary configuration directory (VYX_CONFIG_DIR), its simulated desktop
// served on a temporary control socket (VYX_SIM_SOCKET), the Accessibility
// permission granted from the start or not (VYX_SIM_TRUSTED), standard
// output and standard error captured in files. The destructor kills a child
// that still runs (a failed test leaves nothing behind) and removes the
// temporary files.
//
// Threads: one test thread uses a VyxProcess; DesktopClient connections it
// opens follow their own rules.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "os/sim/control/client.h"
#include "os/sim/control/protocol.h"
#include "support/temp_dir.h"

extern char** environ;  // NOLINT(readability-redundant-declaration)

namespace vyx::testing {

// The whole file, or "" when it cannot be read.
inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

struct VyxLaunch {
#ifdef VYX_BINARY
  std::string binary = VYX_BINARY;
#else
  std::string binary;
#endif
  std::vector<std::string> args{};  // after the program path
  bool trusted = false;             // VYX_SIM_TRUSTED=1
  bool driven = true;               // serve the control socket
  // Empty: a fresh directory inside the process's temporary one.
  std::optional<std::string> configDir{};
  std::vector<std::pair<std::string, std::string>> env{};  // set on top
  // Standard error is a pipe whose reader is gone (vyx 2>&1 | head, once
  // head has ended): nothing of the log can be read back.
  bool stderrReaderGone = false;
};

class VyxProcess final {
 public:
  explicit VyxProcess(const VyxLaunch& launch = {})
      : configDir_(launch.configDir.value_or(dir_.file("config"))), socket_(dir_.file("sim.sock")) {
    spawn(launch);
  }
  // Before the temporary files go.
  ~VyxProcess() {
    if (status_) return;
    ::kill(pid_, SIGKILL);
    int raw = 0;
    ::waitpid(pid_, &raw, 0);
  }
  VyxProcess(const VyxProcess&) = delete;
  VyxProcess& operator=(const VyxProcess&) = delete;

  [[nodiscard]] pid_t pid() const { return pid_; }
  [[nodiscard]] const std::string& configDir() const { return configDir_; }
  [[nodiscard]] std::string configFile(std::string_view name) const {
    return configDir_ + "/" + std::string(name);
  }
  [[nodiscard]] const std::string& socketPath() const { return socket_; }

  [[nodiscard]] std::string stdoutText() const { return readFile(dir_.file("stdout")); }
  [[nodiscard]] std::string stderrText() const { return readFile(dir_.file("stderr")); }
  // The log's lines without their date and time ("2026/12/07 08:33:49 ").
  [[nodiscard]] std::vector<std::string> logMessages() const { return messagesOf(stderrText()); }
  [[nodiscard]] static std::vector<std::string> messagesOf(const std::string& log) {
    std::vector<std::string> out;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
      out.push_back(line.size() >= kDatePrefix ? line.substr(kDatePrefix) : line);
    }
    return out;
  }
  [[nodiscard]] bool logged(std::string_view message) const {
    for (const std::string& m : logMessages()) {
      if (m == message) return true;
    }
    return false;
  }
  // Waits until a log line reads exactly message; false when the time ran
  // out or the process ended without writing it.
  [[nodiscard]] bool waitForLog(std::string_view message,
                                std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    return pollUntil(timeout, [&] { return logged(message); });
  }

  // A connection to the program's simulated desktop.
  [[nodiscard]] os::sim::DesktopClient connect(
      std::chrono::milliseconds timeout = std::chrono::seconds(20)) const {
    return os::sim::DesktopClient::connect(socket_, timeout);
  }

  // Waits until the program catches SIGINT and SIGTERM (its signal watcher
  // has subscribed); before that a signal ends it the system's way.
  [[nodiscard]] bool waitForSignalWatcher(
      std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const uint64_t wanted = (uint64_t{1} << (SIGINT - 1)) | (uint64_t{1} << (SIGTERM - 1));
    return pollUntil(timeout, [&] { return (caughtSignals() & wanted) == wanted; });
  }
  void sendSignal(int signo) const { ::kill(pid_, signo); }
  // The resident memory of the running program (VmRSS), 0 when unknown.
  [[nodiscard]] int64_t residentKiB() const { return std::stoll(procStatus("VmRSS:", "0")); }

  // The exit status (0..255), or 128 + the number of the signal that ended
  // it; nullopt when it still runs after the timeout.
  [[nodiscard]] std::optional<int> waitExit(
      std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    pollUntil(timeout, [] { return false; });
    return status_;
  }

 private:
  static constexpr size_t kDatePrefix = 20;

  void spawn(const VyxLaunch& launch) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string_view var(*e);
      const std::string_view name = var.substr(0, var.find('='));
      if (name != "VYX_CONFIG_DIR" && name != "PELORANT_CONFIG_DIR" && name != "VYX_SIM_SOCKET" &&
          name != "VYX_SIM_TRUSTED") {
        env.emplace_back(var);
      }
    }
    env.push_back("VYX_CONFIG_DIR=" + configDir_);
    if (launch.driven) env.push_back("VYX_SIM_SOCKET=" + socket_);
    if (launch.trusted) env.emplace_back("VYX_SIM_TRUSTED=1");
    for (const auto& [name, value] : launch.env) env.emplace_back(name + '=').append(value);

    std::vector<std::string> argv{launch.binary};
    argv.insert(argv.end(), launch.args.begin(), launch.args.end());

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const std::string out = dir_.file("stdout");
    const std::string err = dir_.file("stderr");
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int pipeFds[2] = {-1, -1};
    if (launch.stderrReaderGone) {
      // Both ends close at exec; only the copy on 2 stays open, in the child.
      if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
      posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    } else {
      posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                       0600);
    }
    const int rc = ::posix_spawn(&pid_, launch.binary.c_str(), &actions, nullptr,
                                 pointers(argv).data(), pointers(env).data());
    posix_spawn_file_actions_destroy(&actions);
    for (const int fd : pipeFds) {
      if (fd >= 0) ::close(fd);
    }
    if (rc != 0) throw std::runtime_error("cannot start " + launch.binary);
  }

  static std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    out.reserve(strings.size() + 1);
    for (std::string& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
  }

  // Reaps the child when it has ended; true once it has.
  bool reap() {
    if (status_) return true;
    int raw = 0;
    if (::waitpid(pid_, &raw, WNOHANG) != pid_) return false;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return true;
  }

  // Polls every millisecond; stops early when the child has ended (after one
  // last look, so a line written just before the end still counts).
  template <class Done>
  bool pollUntil(std::chrono::milliseconds timeout, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      const bool ended = reap();
      if (done()) return true;
      if (ended || std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  [[nodiscard]] uint64_t caughtSignals() const {
    return std::stoull(procStatus("SigCgt:", "0"), nullptr, 16);
  }

  // A field of /proc/<pid>/status, without its name and leading blanks.
  [[nodiscard]] std::string procStatus(std::string_view name, std::string fallback) const {
    std::ifstream in("/proc/" + std::to_string(pid_) + "/status");
    for (std::string line; std::getline(in, line);) {
      if (line.rfind(name, 0) != 0) continue;
      const size_t value = line.find_first_not_of(" \t", name.size());
      return value == std::string::npos ? fallback : line.substr(value);
    }
    return fallback;
  }

  TempDir dir_;
  std::string configDir_;
  std::string socket_;
  pid_t pid_ = -1;
  std::optional<int> status_;
};

// Waits until the program's event tap is enabled. The hook's start returns
// after a short pause, not once its thread has enabled the tap; keys typed
// before that reach the application unseen, as they would on a Mac.
[[nodiscard]] inline bool waitForEnabledTap(
    os::sim::DesktopClient& client, std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    for (const auto& tap : client.call("taps").at("taps").get<std::vector<os::sim::TapInfo>>()) {
      if (tap.enabled) return true;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// One run of vyx to its end.
struct VyxRun {
  std::optional<int> status;  // nullopt: killed after the timeout
  std::string out;
  std::string err;
};

inline VyxRun runVyx(const VyxLaunch& launch,
                     std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
  VyxProcess vyx(launch);
  const std::optional<int> status = vyx.waitExit(timeout);
  return VyxRun{status, vyx.stdoutText(), vyx.stderrText()};
}

}  // namespace vyx::testing
