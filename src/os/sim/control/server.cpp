#include "os/sim/control/server.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <map>

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
  if (!request.is_object() || !request.contains("op") || !request.at("op").is_string()) {
    return Json{{"ok", false}, {"error", "request without an op"}};
  }
  if (request.value("v", kControlProtocolVersion) != kControlProtocolVersion) {
    return Json{{"ok", false}, {"error", "unsupported protocol version"}};
  }
  const auto& op = request.at("op").get_ref<const std::string&>();
  const auto it = handlers().find(op);
  if (it == handlers().end()) return Json{{"ok", false}, {"error", "unknown op: " + op}};
  try {
    Json reply = it->second(desktop, request);
    reply["ok"] = true;
    return reply;
  } catch (const std::exception& e) {
    // Malformed arguments: the driver's mistake, reported back to it.
    return Json{{"ok", false}, {"error", std::string(op) + ": " + e.what()}};
  }
}

Result<std::unique_ptr<ControlServer>> ControlServer::start(Desktop& desktop,
                                                            const std::string& path) {
  sockaddr_un addr{};
  if (path.empty() || path.size() >= sizeof(addr.sun_path)) {
    return Error("control socket path is empty or too long: " + path);
  }
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return Error::fromErrno("control socket", errno);
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.data(), path.size());
  ::unlink(path.c_str());
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) != 0 ||
      ::listen(fd, 8) != 0) {
    const int err = errno;
    ::close(fd);
    return Error::fromErrno("control socket " + path, err);
  }
  return std::unique_ptr<ControlServer>(new ControlServer(desktop, path, fd));  // NOLINT
}

ControlServer::ControlServer(Desktop& desktop, std::string path, int listenFd)
    : desktop_(desktop), path_(std::move(path)), listenFd_(listenFd) {
  acceptor_ = std::thread([this] { acceptLoop(); });
}

ControlServer::~ControlServer() {
  stopping_.store(true);
  ::shutdown(listenFd_, SHUT_RDWR);
  if (acceptor_.joinable()) acceptor_.join();
  ::close(listenFd_);
  std::vector<std::thread> threads;
  {
    const std::lock_guard lock(mu_);
    for (const int fd : clients_) ::shutdown(fd, SHUT_RDWR);
    threads.swap(threads_);
  }
  for (auto& t : threads) t.join();
  ::unlink(path_.c_str());
}

void ControlServer::acceptLoop() {
  while (!stopping_.load()) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR) continue;
      return;
    }
    const std::lock_guard lock(mu_);
    if (stopping_.load()) {
      ::close(fd);
      return;
    }
    clients_.push_back(fd);
    threads_.emplace_back([this, fd] { serve(fd); });
  }
}

namespace {
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
}  // namespace

void ControlServer::serve(int fd) {
  std::string pending;
  char chunk[4096];
  for (;;) {
    const size_t nl = pending.find('\n');
    if (nl == std::string::npos) {
      const ssize_t n = ::recv(fd, chunk, sizeof(chunk), 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      pending.append(chunk, static_cast<size_t>(n));
      continue;
    }
    const std::string line = pending.substr(0, nl);
    pending.erase(0, nl + 1);
    Json request = Json::parse(line, nullptr, false);
    Json reply = request.is_discarded() ? Json{{"ok", false}, {"error", "not JSON"}}
                                        : handle(desktop_, request);
    reply["v"] = kControlProtocolVersion;
    if (request.is_object() && request.contains("id")) reply["id"] = request.at("id");
    if (!writeAll(fd, encodeLine(reply))) break;
  }
  const std::lock_guard lock(mu_);
  clients_.erase(std::remove(clients_.begin(), clients_.end(), fd), clients_.end());
  ::close(fd);
}

}  // namespace vyx::os::sim
