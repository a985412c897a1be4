#include "os/sim/control/client.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

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
    if (fd < 0) throw ControlError(std::string("socket: ") + std::strerror(errno));
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == 0) {
      return DesktopClient(fd);
    }
    const int err = errno;
    ::close(fd);
    if (std::chrono::steady_clock::now() >= deadline) {
      throw ControlError("connect " + path + ": " + std::strerror(err));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

DesktopClient::DesktopClient(DesktopClient&& other) noexcept
    : fd_(other.fd_), nextId_(other.nextId_), pending_(std::move(other.pending_)) {
  other.fd_ = -1;
}

DesktopClient& DesktopClient::operator=(DesktopClient&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    nextId_ = other.nextId_;
    pending_ = std::move(other.pending_);
    other.fd_ = -1;
  }
  return *this;
}

DesktopClient::~DesktopClient() {
  if (fd_ >= 0) ::close(fd_);
}

Json DesktopClient::call(const std::string& op, Json args) {
  if (fd_ < 0) throw ControlError(op + ": not connected");
  Json request = args.is_object() ? std::move(args) : Json::object();
  const int64_t id = nextId_++;
  request["v"] = kControlProtocolVersion;
  request["id"] = id;
  request["op"] = op;
  const std::string line = encodeLine(request);
  size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = ::send(fd_, line.data() + done, line.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw ControlError(op + ": connection lost");
    done += static_cast<size_t>(n);
  }
  for (;;) {
    if (const std::optional<std::string> line = pending_.next()) {
      Json reply = Json::parse(*line, nullptr, false);
      if (reply.is_discarded()) throw ControlError(op + ": malformed reply");
      if (reply.value("id", int64_t{-1}) != id) continue;  // a stale reply
      if (!reply.value("ok", false)) throw ControlError(reply.value("error", op + ": refused"));
      return reply;
    }
    char chunk[4096];
    const ssize_t n = ::recv(fd_, chunk, sizeof(chunk), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw ControlError(op + ": connection lost");
    pending_.append(chunk, static_cast<size_t>(n));
  }
}

std::string DesktopClient::typeAsPerson(const std::string& text, const TypeOptions& options) {
  return call("typeAsPerson", {{"text", text}, {"options", options}}).at("skipped");
}
void DesktopClient::press(uint16_t keycode, EventFlags modifiers) {
  call("press", {{"keycode", keycode}, {"modifiers", modifiers}});
}
void DesktopClient::tapModifier(uint16_t keycode) {
  call("tapModifier", {{"keycode", keycode}});
}
void DesktopClient::clickAtCaret(size_t caret) {
  call("clickAtCaret", {{"caret", caret}});
}
void DesktopClient::activate(const std::string& bundleID) {
  call("activate", {{"bundleID", bundleID}});
}
void DesktopClient::addApp(const std::string& bundleID, bool ignoresCopy) {
  call("addApp", {{"bundleID", bundleID}, {"ignoresCopy", ignoresCopy}});
}
std::optional<std::string> DesktopClient::frontmost() {
  return call("frontmost").at("bundleID").get<std::optional<std::string>>();
}
FieldState DesktopClient::field(const std::string& bundleID) {
  return call("field", {{"bundleID", bundleID}}).at("field").get<FieldState>();
}
std::string DesktopClient::text(const std::string& bundleID) {
  return field(bundleID).text;
}
void DesktopClient::setField(const std::string& bundleID, const FieldState& state) {
  call("setField", {{"bundleID", bundleID}, {"field", state}});
}
std::string DesktopClient::currentInputSource() {
  return call("currentInputSource").at("source");
}
void DesktopClient::selectInputSource(const std::string& id) {
  call("selectInputSource", {{"source", id}});
}
void DesktopClient::setTrusted(bool trusted) {
  call("setTrusted", {{"trusted", trusted}});
}
void DesktopClient::setPasteboard(const std::vector<PasteboardItemContent>& items) {
  call("setPasteboard", {{"items", items}});
}
std::vector<PasteboardItemContent> DesktopClient::pasteboard() {
  return call("pasteboard").at("items").get<std::vector<PasteboardItemContent>>();
}
bool DesktopClient::waitIdle(std::chrono::milliseconds timeout, std::chrono::milliseconds quiet) {
  return call("waitIdle", {{"timeoutMs", timeout.count()}, {"quietMs", quiet.count()}}).at("idle");
}
std::optional<std::string> DesktopClient::statusItemTitle() {
  return call("statusItem").at("title").get<std::optional<std::string>>();
}
std::optional<MenuSnapshot> DesktopClient::statusMenu() {
  return call("statusMenu").at("menu").get<std::optional<MenuSnapshot>>();
}
bool DesktopClient::clickStatusMenuItem(const std::vector<std::string>& path) {
  return call("clickStatusMenuItem", {{"path", path}}).at("clicked");
}
std::optional<AlertSnapshot> DesktopClient::currentAlert() {
  return call("currentAlert").at("alert").get<std::optional<AlertSnapshot>>();
}
bool DesktopClient::dismissAlert(const std::string& button) {
  return call("dismissAlert", {{"button", button}}).at("dismissed");
}
std::vector<WindowSnapshot> DesktopClient::windows() {
  return call("windows").at("windows").get<std::vector<WindowSnapshot>>();
}
std::vector<std::vector<std::string>> DesktopClient::launches() {
  return call("launches").at("launches").get<std::vector<std::vector<std::string>>>();
}
std::vector<Arrival> DesktopClient::arrivals(const std::string& bundleID) {
  return call("arrivals", {{"bundleID", bundleID}}).at("arrivals").get<std::vector<Arrival>>();
}
std::vector<Arrival> DesktopClient::personPosts() {
  return call("personPosts").at("posts").get<std::vector<Arrival>>();
}
void DesktopClient::clearRecords() {
  call("clearRecords");
}
std::vector<TapInfo> DesktopClient::taps() {
  return call("taps").at("taps").get<std::vector<TapInfo>>();
}
void DesktopClient::setTapTimeout(std::chrono::milliseconds timeout) {
  call("setTapTimeout", {{"ms", timeout.count()}});
}

}  // namespace vyx::os::sim
