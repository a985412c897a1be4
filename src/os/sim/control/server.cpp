#include "os/sim/control/server.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <tuple>

#include "os/sim/control/operations.h"

namespace vyx::os::sim {

namespace {

using Handler = std::function<Json(Desktop&, const Json&)>;

const std::map<std::string, Handler, std::less<>>& handlers() {
  static const auto table = [] {
    std::map<std::string, Handler, std::less<>> byName;
    std::apply(
        [&](const auto&... op) {
          (byName.emplace(
               op.name,
               [&op](Desktop& d, const Json& request) { return serveOperation(op, d, request); }),
           ...);
        },
        op::kOperations);
    return byName;
  }();
  return table;
}

sockaddr_un socketAddress(const std::string& path) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.data(), path.size());
  return addr;
}

// Whether a server answers at path. Only a refused connection tells of a
// socket nobody serves any more; anything else (a full backlog included)
// counts as in use.
bool served(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return true;
  const sockaddr_un addr = socketAddress(path);
  const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == 0;
  const int err = errno;
  ::close(fd);
  return connected || (err != ECONNREFUSED && err != ENOENT);
}

}  // namespace

Json ControlServer::handle(Desktop& desktop, const Json& request) {
  if (std::string why = envelopeError(request); !why.empty()) return refusal(why);
  const auto& op = request.at("op").get_ref<const std::string&>();
  const auto it = handlers().find(op);
  if (it == handlers().end()) return refusal("unknown op: " + op);
  try {
    Json reply = it->second(desktop, request);
    reply["ok"] = true;
    return reply;
  } catch (const std::exception& e) {
    // Malformed arguments: the driver's mistake, reported back to it.
    return refusal(op + ": " + e.what());
  }
}

Result<std::unique_ptr<ControlServer>> ControlServer::start(Desktop& desktop,
                                                            const std::string& path) {
  if (path.empty() || path.size() >= sizeof(sockaddr_un::sun_path)) {
    return Error("control socket path is empty or too long: " + path);
  }
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode))
      return Error("control socket " + path + ": exists and is not a socket");
    // Another program's desktop must go on answering its driver.
    if (served(path)) return Error("control socket " + path + ": in use by another program");
    ::unlink(path.c_str());  // an earlier run's
  }
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return Error::fromErrno("control socket", errno);
  const sockaddr_un addr = socketAddress(path);
  // The mode is set between bind and listen: nobody can connect before
  // listen, so nobody gets in under the umask's mode.
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) != 0 ||
      ::chmod(path.c_str(), 0600) != 0 || ::lstat(path.c_str(), &st) != 0 || ::listen(fd, 8) != 0) {
    const int err = errno;
    ::close(fd);
    return Error::fromErrno("control socket " + path, err);
  }
  return std::unique_ptr<ControlServer>(  // NOLINT: the constructor is private
      new ControlServer(desktop, path, fd, st.st_dev, st.st_ino));
}

ControlServer::ControlServer(Desktop& desktop, std::string path, int listenFd, dev_t dev, ino_t ino)
    : desktop_(desktop), path_(std::move(path)), listenFd_(listenFd), dev_(dev), ino_(ino) {
  acceptor_ = std::thread([this] { acceptLoop(); });
}

ControlServer::~ControlServer() {
  stopping_.store(true);
  ::shutdown(listenFd_, SHUT_RDWR);
  if (acceptor_.joinable()) acceptor_.join();
  ::close(listenFd_);
  std::list<Connection> connections;
  {
    const std::lock_guard lock(mu_);
    for (const Connection& c : connections_) {
      if (c.stream.fd() >= 0) ::shutdown(c.stream.fd(), SHUT_RDWR);
    }
    connections.swap(connections_);
  }
  for (Connection& c : connections) c.thread.join();
  struct stat st {};
  if (::lstat(path_.c_str(), &st) == 0 && st.st_dev == dev_ && st.st_ino == ino_) {
    ::unlink(path_.c_str());
  }
}

namespace {

std::string refusalLine(std::string_view reason) {
  Json reply = refusal(reason);
  reply["v"] = kControlProtocolVersion;
  return encodeLine(reply);
}

}  // namespace

void ControlServer::reapLocked() {
  for (auto it = connections_.begin(); it != connections_.end();) {
    if (!it->done) {
      ++it;
      continue;
    }
    it->thread.join();  // it only returns after marking itself done
    it = connections_.erase(it);
  }
}

void ControlServer::acceptLoop() {
  while (!stopping_.load()) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;
    }
    const std::lock_guard lock(mu_);
    if (stopping_.load()) {
      ::close(fd);
      return;
    }
    reapLocked();
    LineStream stream(fd, kMaxRequestLine);
    if (connections_.size() >= kMaxClients) {
      (void)stream.send(refusalLine("too many connections"));
      continue;
    }
    Connection& c = connections_.emplace_back();
    c.stream = std::move(stream);
    c.thread = std::thread([this, &c] { serve(c); });
  }
}

bool ControlServer::answer(LineStream& stream, std::string_view line) {
  std::string out;
  try {
    ParsedRequest parsed = parseRequest(line);
    Json reply = parsed.error.empty() ? handle(desktop_, parsed.request) : refusal(parsed.error);
    reply["v"] = kControlProtocolVersion;
    if (!parsed.id.is_null()) reply["id"] = std::move(parsed.id);
    out = encodeLine(reply);
  } catch (const std::exception& e) {
    // Whatever else goes wrong costs this connection, never the program.
    (void)stream.send(refusalLine(std::string("internal error: ") + e.what()));
    return false;
  }
  return stream.send(out);
}

void ControlServer::serve(Connection& connection) {
  LineStream& stream = connection.stream;
  while (const std::optional<std::string> line = stream.receive()) {
    if (!answer(stream, *line)) break;
  }
  if (stream.tooLong()) (void)stream.send(refusalLine("request line longer than 1 MiB"));
  const std::lock_guard lock(mu_);
  stream.close();
  connection.done = true;
}

}  // namespace vyx::os::sim
