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

#include "text/utf8.h"

namespace vyx::os::sim {

namespace {

using Handler = std::function<Json(Desktop&, const Json&)>;

std::chrono::milliseconds millis(const Json& args, const char* key, int64_t fallback) {
  return std::chrono::milliseconds(args.value(key, fallback));
}

// Every operation of the control surface, by name.
const std::map<std::string, Handler, std::less<>>& handlers() {
  static const std::map<std::string, Handler, std::less<>> table = {
      {"hello",
       [](Desktop&, const Json&) {
         return Json{{"version", kControlProtocolVersion}, {"pid", ::getpid()}};
       }},
      // The person at the keyboard.
      {"typeAsPerson",
       [](Desktop& d, const Json& a) {
         const auto skipped = d.typeAsPerson(a.at("text").get<std::string>(),
                                             a.value("options", Json::object()).get<TypeOptions>());
         return Json{{"skipped", encodeUtf8(skipped)}};
       }},
      {"press",
       [](Desktop& d, const Json& a) {
         d.press(a.at("keycode").get<uint16_t>(), a.value("modifiers", EventFlags{0}));
         return Json::object();
       }},
      {"keyDown",
       [](Desktop& d, const Json& a) {
         d.keyDown(a.at("keycode").get<uint16_t>(), a.value("modifiers", EventFlags{0}));
         return Json::object();
       }},
      {"keyUp",
       [](Desktop& d, const Json& a) {
         d.keyUp(a.at("keycode").get<uint16_t>(), a.value("modifiers", EventFlags{0}));
         return Json::object();
       }},
      {"tapModifier",
       [](Desktop& d, const Json& a) {
         d.tapModifier(a.at("keycode").get<uint16_t>());
         return Json::object();
       }},
      {"setCapsLock",
       [](Desktop& d, const Json& a) {
         d.setCapsLock(a.at("on").get<bool>());
         return Json::object();
       }},
      // The mouse.
      {"clickAtCaret",
       [](Desktop& d, const Json& a) {
         d.clickAtCaret(a.at("caret").get<size_t>());
         return Json::object();
       }},
      {"mouseMove",
       [](Desktop& d, const Json& a) {
         d.mouseMove(a.at("to").get<Point>());
         return Json::object();
       }},
      {"rightClick",
       [](Desktop& d, const Json& a) {
         d.rightClick(a.at("at").get<Point>());
         return Json::object();
       }},
      {"drag",
       [](Desktop& d, const Json& a) {
         d.drag(a.at("from").get<Point>(), a.at("to").get<Point>());
         return Json::object();
       }},
      {"scrollWheel",
       [](Desktop& d, const Json& a) {
         d.scrollWheel(a.at("delta").get<int32_t>());
         return Json::object();
       }},
      {"postKeyEvent",
       [](Desktop& d, const Json& a) {
         std::optional<std::u16string> text;
         if (a.contains("text") && !a.at("text").is_null()) {
           text = a.at("text").get<std::u16string>();
         }
         d.postKeyEvent(a.at("down").get<bool>(), a.at("keycode").get<uint16_t>(),
                        a.value("flags", EventFlags{0}), text, a.value("userData", int64_t{0}));
         return Json::object();
       }},
      // Applications.
      {"addApp",
       [](Desktop& d, const Json& a) {
         AppInfo app;
         if (a.contains("bundleID") && !a.at("bundleID").is_null()) {
           app.bundleID = a.at("bundleID").get<std::string>();
         }
         app.ignoresCopy = a.value("ignoresCopy", false);
         d.addApp(app);
         return Json::object();
       }},
      {"activate",
       [](Desktop& d, const Json& a) {
         d.activate(a.at("bundleID").get<std::string>());
         return Json::object();
       }},
      {"activateAnonymous",
       [](Desktop& d, const Json&) {
         d.activateAnonymous();
         return Json::object();
       }},
      {"frontmost",
       [](Desktop& d, const Json&) {
         return Json{{"bundleID", d.frontmost()}};
       }},
      {"field",
       [](Desktop& d, const Json& a) {
         return Json{{"field", d.field(a.at("bundleID").get<std::string>())}};
       }},
      {"setField",
       [](Desktop& d, const Json& a) {
         d.setField(a.at("bundleID").get<std::string>(), a.at("field").get<FieldState>());
         return Json::object();
       }},
      {"arrivals",
       [](Desktop& d, const Json& a) {
         return Json{{"arrivals", d.arrivals(a.at("bundleID").get<std::string>())}};
       }},
      {"undoRequests",
       [](Desktop& d, const Json& a) {
         return Json{{"count", d.undoRequests(a.at("bundleID").get<std::string>())}};
       }},
      // Input sources.
      {"setInputSources",
       [](Desktop& d, const Json& a) {
         d.setInputSources(a.at("sources").get<std::vector<InputSourceInfo>>(),
                           a.at("selected").get<std::string>());
         return Json::object();
       }},
      {"currentInputSource",
       [](Desktop& d, const Json&) {
         return Json{{"source", d.currentInputSource()}};
       }},
      {"selectInputSource",
       [](Desktop& d, const Json& a) {
         d.selectInputSource(a.at("source").get<std::string>());
         return Json::object();
       }},
      {"programSelections",
       [](Desktop& d, const Json&) {
         return Json{{"ids", d.programSelections()}};
       }},
      // Accessibility.
      {"setTrusted",
       [](Desktop& d, const Json& a) {
         d.setTrusted(a.at("trusted").get<bool>());
         return Json::object();
       }},
      {"trusted",
       [](Desktop& d, const Json&) {
         return Json{{"trusted", d.trusted()}};
       }},
      {"accessibilityPrompts",
       [](Desktop& d, const Json&) {
         return Json{{"count", d.accessibilityPrompts()}};
       }},
      // Pasteboard and launches.
      {"setPasteboard",
       [](Desktop& d, const Json& a) {
         d.setPasteboard(a.at("items").get<std::vector<PasteboardItemContent>>());
         return Json::object();
       }},
      {"pasteboard",
       [](Desktop& d, const Json&) {
         return Json{{"items", d.pasteboard()}};
       }},
      {"launches",
       [](Desktop& d, const Json&) {
         return Json{{"launches", d.launches()}};
       }},
      {"failLaunches",
       [](Desktop& d, const Json& a) {
         d.failLaunches(a.value("message", std::optional<std::string>()));
         return Json::object();
       }},
      // Event taps and events.
      {"taps",
       [](Desktop& d, const Json&) {
         return Json{{"taps", d.taps()}};
       }},
      {"setTapTimeout",
       [](Desktop& d, const Json& a) {
         d.setTapTimeout(millis(a, "ms", 1000));
         return Json::object();
       }},
      {"disableTapsByUserInput",
       [](Desktop& d, const Json&) {
         d.disableTapsByUserInput();
         return Json::object();
       }},
      {"liveProgramEvents",
       [](Desktop& d, const Json&) {
         return Json{{"count", d.liveProgramEvents()}};
       }},
      {"liveInputSourceObjects",
       [](Desktop& d, const Json&) {
         return Json{{"count", d.liveInputSourceObjects()}};
       }},
      {"programPosts",
       [](Desktop& d, const Json&) {
         return Json{{"posts", d.programPosts()}};
       }},
      {"personPosts",
       [](Desktop& d, const Json&) {
         return Json{{"posts", d.personPosts()}};
       }},
      {"clearRecords",
       [](Desktop& d, const Json&) {
         d.clearRecords();
         return Json::object();
       }},
      // Time and quiet.
      {"waitIdle",
       [](Desktop& d, const Json& a) {
         return Json{
             {"idle", d.waitIdle(millis(a, "timeoutMs", 10000), millis(a, "quietMs", 200))}};
       }},
      // The user interface.
      {"statusItem",
       [](Desktop& d, const Json&) {
         return Json{{"title", d.statusItemTitle()}, {"font", d.statusItemFont()}};
       }},
      {"statusMenu",
       [](Desktop& d, const Json&) {
         return Json{{"menu", d.statusMenu()}};
       }},
      {"mainMenu",
       [](Desktop& d, const Json&) {
         return Json{{"menu", d.mainMenu()}};
       }},
      {"clickStatusMenuItem",
       [](Desktop& d, const Json& a) {
         return Json{
             {"clicked", d.clickStatusMenuItem(a.at("path").get<std::vector<std::string>>())}};
       }},
      {"currentAlert",
       [](Desktop& d, const Json&) {
         return Json{{"alert", d.currentAlert()}};
       }},
      {"alertHistory",
       [](Desktop& d, const Json&) {
         return Json{{"alerts", d.alertHistory()}};
       }},
      {"dismissAlert",
       [](Desktop& d, const Json& a) {
         return Json{{"dismissed", d.dismissAlert(a.value("button", std::string("OK")))}};
       }},
      {"windows",
       [](Desktop& d, const Json&) {
         return Json{{"windows", d.windows()}};
       }},
      {"clickButton",
       [](Desktop& d, const Json& a) {
         return Json{{"clicked", d.clickButton(a.at("window").get<size_t>(),
                                               a.at("title").get<std::string>())}};
       }},
      {"pressReturn",
       [](Desktop& d, const Json& a) {
         return Json{{"pressed", d.pressReturn(a.at("window").get<size_t>())}};
       }},
      {"setFieldText",
       [](Desktop& d, const Json& a) {
         return Json{{"set", d.setFieldText(a.at("window").get<size_t>(),
                                            a.at("placeholder").get<std::string>(),
                                            a.at("text").get<std::string>())}};
       }},
      {"selectTableRow",
       [](Desktop& d, const Json& a) {
         return Json{{"selected",
                      d.selectTableRow(a.at("window").get<size_t>(), a.at("row").get<int64_t>())}};
       }},
      {"closeWindow",
       [](Desktop& d, const Json& a) {
         return Json{{"closed", d.closeWindow(a.at("window").get<size_t>())}};
       }},
      {"windowSvg",
       [](Desktop& d, const Json& a) {
         return Json{{"svg", d.windowSvg(a.at("window").get<size_t>())}};
       }},
      {"statusMenuSvg",
       [](Desktop& d, const Json&) {
         return Json{{"svg", d.statusMenuSvg()}};
       }},
  };
  return table;
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
  sockaddr_un addr{};
  if (path.empty() || path.size() >= sizeof(addr.sun_path)) {
    return Error("control socket path is empty or too long: " + path);
  }
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode))
      return Error("control socket " + path + ": exists and is not a socket");
    ::unlink(path.c_str());  // an earlier run's
  }
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return Error::fromErrno("control socket", errno);
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.data(), path.size());
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
      if (c.fd >= 0) ::shutdown(c.fd, SHUT_RDWR);
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

constexpr std::string_view kLineTooLong = "request line longer than 1 MiB";

bool writeAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

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
    if (connections_.size() >= kMaxClients) {
      (void)writeAll(fd, refusalLine("too many connections"));
      ::close(fd);
      continue;
    }
    Connection& c = connections_.emplace_back();
    c.fd = fd;
    c.thread = std::thread([this, &c] { serve(c); });
  }
}

bool ControlServer::answer(int fd, std::string_view line) {
  if (line.size() > kMaxRequestLine) {
    (void)writeAll(fd, refusalLine(kLineTooLong));
    return false;
  }
  std::string out;
  try {
    ParsedRequest parsed = parseRequest(line);
    Json reply = parsed.error.empty() ? handle(desktop_, parsed.request) : refusal(parsed.error);
    reply["v"] = kControlProtocolVersion;
    if (!parsed.id.is_null()) reply["id"] = std::move(parsed.id);
    out = encodeLine(reply);
  } catch (const std::exception& e) {
    // Whatever else goes wrong costs this connection, never the program.
    (void)writeAll(fd, refusalLine(std::string("internal error: ") + e.what()));
    return false;
  }
  return writeAll(fd, out);
}

void ControlServer::serve(Connection& connection) {
  const int fd = connection.fd;
  LineBuffer lines;
  char chunk[16384];
  bool open = true;
  while (open) {
    if (const std::optional<std::string> line = lines.next()) {
      open = answer(fd, *line);
    } else if (lines.partial() > kMaxRequestLine) {
      (void)writeAll(fd, refusalLine(kLineTooLong));
      open = false;
    } else {
      const ssize_t n = ::recv(fd, chunk, sizeof(chunk), 0);
      if (n < 0 && errno == EINTR) continue;
      open = n > 0;
      if (open) lines.append(chunk, static_cast<size_t>(n));
    }
  }
  const std::lock_guard lock(mu_);
  ::close(fd);
  connection.fd = -1;
  connection.done = true;
}

}  // namespace vyx::os::sim
