// Serves a Desktop's control surface on a local stream socket, so that a
// driver in another process (the end-to-end tests, the demo) can type, click
// and look at the screen of a running program.
//
// Threads: one thread accepts connections; each connection is served by a
// thread of its own, one request at a time. The destructor stops accepting,
// shuts every connection down and joins every thread.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "log/error.h"
#include "os/sim/control/protocol.h"
#include "os/sim/desktop.h"

namespace vyx::os::sim {

class ControlServer final {
 public:
  // Listens at path (a stale socket file there is replaced).
  [[nodiscard]] static Result<std::unique_ptr<ControlServer>> start(Desktop& desktop,
                                                                    const std::string& path);
  ~ControlServer();
  ControlServer(const ControlServer&) = delete;
  ControlServer& operator=(const ControlServer&) = delete;

  // One request, as a connection's thread serves it; the reply without
  // "v" and "id".
  [[nodiscard]] static Json handle(Desktop& desktop, const Json& request);

 private:
  ControlServer(Desktop& desktop, std::string path, int listenFd);
  void acceptLoop();
  void serve(int fd);

  Desktop& desktop_;
  const std::string path_;
  const int listenFd_;
  std::atomic<bool> stopping_{false};
  std::mutex mu_;  // guards clients_ and threads_
  std::vector<int> clients_;
  std::vector<std::thread> threads_;
  std::thread acceptor_;
};

}  // namespace vyx::os::sim
