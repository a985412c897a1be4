#include "os/sim/control/client.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "log/error.h"

namespace vyx::os::sim {

DesktopClient DesktopClient::connect(const std::string& path, std::chrono::milliseconds timeout) {
  sockaddr_un addr{};
  if (path.empty() || path.size() >= sizeof(addr.sun_path)) {
    throw ControlError("control socket path is empty or too long: " + path);
  }
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.data(), path.size());
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw ControlError(Error::fromErrno("socket", errno).message());
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == 0) {
      return DesktopClient(fd);
    }
    const int err = errno;
    ::close(fd);
    if (std::chrono::steady_clock::now() >= deadline) {
      throw ControlError(Error::fromErrno("connect " + path, err).message());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

Json DesktopClient::call(const std::string& op, Json args) {
  if (stream_.fd() < 0) throw ControlError(op + ": not connected");
  Json request = args.is_object() ? std::move(args) : Json::object();
  const int64_t id = nextId_++;
  request["v"] = kControlProtocolVersion;
  request["id"] = id;
  request["op"] = op;
  if (!stream_.send(encodeLine(request))) throw ControlError(op + ": connection lost");
  for (;;) {
    const std::optional<std::string> line = stream_.receive();
    if (!line) throw ControlError(op + ": connection lost");
    Json reply = Json::parse(*line, nullptr, false);
    if (reply.is_discarded()) throw ControlError(op + ": malformed reply");
    if (reply.value("id", int64_t{-1}) != id) continue;  // a stale reply
    if (!reply.value("ok", false)) throw ControlError(reply.value("error", op + ": refused"));
    return reply;
  }
}

}  // namespace vyx::os::sim
