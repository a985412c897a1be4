// Serves a Desktop's control surface on a local stream socket, so that a
// driver in another process (the end-to-end tests, the demo) can type, click
// and look at the screen of a running program.
//
// Anyone who can connect can type and read the pasteboard, so the socket is
// the user's alone (0600), and what a client sends costs at most its own
// connection: a bad request is refused, a line that never ends or is too
// deep is cut off, and no client can make the server grow without bound.
//
// Threads: one thread accepts connections; each connection is served by a
// thread of its own, one request at a time (a request may wait, as typing
// does, without holding up other clients). The accepting thread joins the
// threads of connections that ended. mu_ guards connections_. The destructor
// stops accepting, shuts every connection down and joins every thread.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "log/error.h"
#include "os/sim/control/line_stream.h"
#include "os/sim/control/protocol.h"
#include "os/sim/desktop.h"

namespace vyx::os::sim {

class ControlServer final {
 public:
  // Clients served at once; a further one is refused and closed.
  static constexpr size_t kMaxClients = 32;

  // Listens at path, a socket only the user may connect to. A stale socket
  // there (nobody listens on it) is replaced; one a server still listens on,
  // or anything else there, is refused, never removed.
  [[nodiscard]] static Result<std::unique_ptr<ControlServer>> start(Desktop& desktop,
                                                                    const std::string& path);
  ~ControlServer();
  ControlServer(const ControlServer&) = delete;
  ControlServer& operator=(const ControlServer&) = delete;

  // One request, as a connection's thread serves it; the reply without
  // "v" and "id". Never throws.
  [[nodiscard]] static Json handle(Desktop& desktop, const Json& request);

 private:
  struct Connection {
    LineStream stream;  // closed under mu_
    bool done = false;  // its thread has nothing left to do
    std::thread thread;
  };

  ControlServer(Desktop& desktop, std::string path, int listenFd, dev_t dev, ino_t ino);
  void acceptLoop();
  void reapLocked();
  void serve(Connection& connection);
  // Answers one line; false when the connection is to end.
  [[nodiscard]] bool answer(LineStream& stream, std::string_view line);

  Desktop& desktop_;
  const std::string path_;
  const int listenFd_;
  // The socket file this server made; only that one is removed at the end.
  const dev_t dev_;
  const ino_t ino_;
  std::atomic<bool> stopping_{false};
  std::mutex mu_;
  std::list<Connection> connections_;  // stable addresses for the threads
  std::thread acceptor_;
};

}  // namespace vyx::os::sim
