// The control socket: a driver in another thread types, reads back the
// screen and operates the desktop through the protocol, as the end-to-end
// tests do from another process.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <limits>
#include <list>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "os/controls.h"
#include "os/sim/control/client.h"
#include "os/sim/control/server.h"
#include "os/sim/desktop.h"
#include "os/views.h"
#include "os/window.h"
#include "support/temp_dir.h"

namespace vyx::os::sim {
namespace {

std::string socketPath() {
  return "/tmp/vyx-ctl-" + std::to_string(::getpid()) + ".sock";
}

// A bare connection, for bytes no DesktopClient would send.
class RawConnection final {
 public:
  explicit RawConnection(const std::string& path) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.data(), path.size());
    connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == 0;
    // A server that never answers fails the test instead of hanging it.
    const timeval timeout{10, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
  }
  ~RawConnection() { ::close(fd_); }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  [[nodiscard]] bool connected() const { return connected_; }
  // False once the server no longer takes bytes.
  bool send(const std::string& bytes) const {
    for (size_t done = 0; done < bytes.size();) {
      const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }
  // The next reply line, or nullopt when the server closed the connection.
  std::optional<Json> reply() {
    for (;;) {
      if (const size_t nl = pending_.find('\n'); nl != std::string::npos) {
        Json line = Json::parse(pending_.substr(0, nl));
        pending_.erase(0, nl + 1);
        return line;
      }
      char chunk[4096];
      const ssize_t n = ::recv(fd_, chunk, sizeof(chunk), 0);
      if (n <= 0) return std::nullopt;
      pending_.append(chunk, static_cast<size_t>(n));
    }
  }

 private:
  int fd_;
  bool connected_ = false;
  std::string pending_;
};

// Lines of the process's memory map: every thread stack left behind is one more.
size_t mappings() {
  std::ifstream in("/proc/self/maps");
  size_t lines = 0;
  for (std::string line; std::getline(in, line);) ++lines;
  return lines;
}

class ControlSocket : public ::testing::Test {
 protected:
  ControlSocket() {
    auto started = ControlServer::start(desktop, socketPath());
    if (!started.ok()) ADD_FAILURE() << started.error().message();
    if (started.ok()) server = std::move(started.value());
  }
  Desktop desktop;
  std::unique_ptr<ControlServer> server;
};

TEST_F(ControlSocket, DriverTypesAndReadsTheScreen) {
  auto client = DesktopClient::connect(socketPath(), std::chrono::seconds(2));
  EXPECT_EQ(client.call("hello").at("version"), kControlProtocolVersion);
  EXPECT_EQ(client.typeAsPerson("привет мир", {std::chrono::milliseconds(0)}), "");
  ASSERT_TRUE(client.waitIdle(std::chrono::seconds(5), std::chrono::milliseconds(20)));
  // Without the program nothing corrects: the person forgot to switch.
  EXPECT_EQ(client.text("com.apple.TextEdit"), "ghbdtn vbh");
  EXPECT_EQ(client.currentInputSource(), "com.apple.keylayout.US");

  const std::vector<PasteboardItemContent> items{
      {{{"public.png", Bytes{0x89, 'P', 'N', 'G'}}, {"public.tiff", std::nullopt}}},
      {{{"public.utf8-plain-text", Bytes{'h', 'i'}}}}};
  client.setPasteboard(items);
  const auto back = client.pasteboard();
  ASSERT_EQ(back.size(), 2U);
  EXPECT_EQ(back[0].types, items[0].types);
  EXPECT_EQ(back[1].types, items[1].types);

  client.addApp("com.apple.Notes");
  client.activate("com.apple.Notes");
  EXPECT_EQ(client.frontmost(), "com.apple.Notes");
}

TEST_F(ControlSocket, WindowsCrossTheSocketWhole) {
  desktop.onMain([] {
    Window* w =
        windowCreate({0, 0, 300, 200}, kWindowStyleMaskTitled, kBackingStoreBuffered, false);
    windowSetTitle(w, "Окно");
    View* label = textFieldCreateLabel("Привет\nмир");
    textFieldSetFont(label, {false, 13.5, FontWeight::semibold});
    textFieldSetTextColor(label, Color::dynamic(SystemColor::secondaryLabel).withAlpha(0.5));
    viewSetFrame(label, {10, 20, 200, 40});
    viewAddSubview(windowContentView(w), label);
    View* box = viewCreate({5, 5, 50, 50});
    viewSetWantsLayer(box, true);
    viewLayerSetBackgroundColor(box, Color::sRGB(1, 0.72, 0.2, 0.22));
    viewAddSubview(windowContentView(w), box);
    windowMakeKeyAndOrderFront(w);
  });
  auto client = DesktopClient::connect(socketPath(), std::chrono::seconds(2));
  // What the driver reads back is what the desktop holds, field for field.
  EXPECT_EQ(Json(client.windows()), Json(desktop.windows()));
  EXPECT_EQ(client.windows().at(0).content.children.at(0).text, "Привет\nмир");
}

TEST_F(ControlSocket, RefusesWhatItCannotDo) {
  auto client = DesktopClient::connect(socketPath(), std::chrono::seconds(2));
  EXPECT_THROW(client.call("noSuchOp"), ControlError);
  EXPECT_THROW(client.call("press", {{"keycode", "not a number"}}), ControlError);
  EXPECT_EQ(ControlServer::handle(desktop, Json{{"v", 99}, {"op", "hello"}}).at("ok"), false);
  // Durations beyond a day, or below zero, are refused before anything waits.
  const int64_t huge = std::numeric_limits<int64_t>::max();
  for (const auto& [op, args] : std::vector<std::pair<std::string, Json>>{
           {"waitIdle", {{"timeoutMs", 10}, {"quietMs", huge}}},
           {"waitIdle", {{"timeoutMs", huge}, {"quietMs", 10}}},
           {"waitIdle", {{"timeoutMs", -1}}},
           {"setTapTimeout", {{"ms", huge}}},
           {"setTapTimeout", {{"ms", -5}}},
           {"typeAsPerson", {{"text", ""}, {"options", {{"jitterMs", huge}}}}},
           {"typeAsPerson", {{"text", ""}, {"options", {{"keyDelayMs", 86'400'001}}}}},
       }) {
    SCOPED_TRACE(args.dump());
    EXPECT_THROW(client.call(op, args), ControlError);
  }
  // The connection survives refused requests.
  EXPECT_EQ(client.call("hello").at("ok"), true);
}

// Whatever one client sends, the program serves on: a bad request is refused
// with its reason (and the same connection goes on), a line too long to be a
// request costs that connection.
TEST_F(ControlSocket, BadLinesAreRefusedAndTheNextRequestIsServed) {
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const std::string huge(kMaxRequestLine + 1, 'x');
  struct Case {
    std::string bytes;
    std::string error;
    bool closes;
  };
  const std::vector<Case> cases = {
      {R"({"op":"hello","v":"x"})"
       "\n",
       "unsupported protocol version", false},
      {R"({"op":"hello","v":null})"
       "\n",
       "unsupported protocol version", false},
      {R"({"op":"hello","v":[]})"
       "\n",
       "unsupported protocol version", false},
      {R"({"op":"hello","v":1.5})"
       "\n",
       "unsupported protocol version", false},
      {"not json\n", "not JSON", false},
      {"[1, 2]\n", "request without an op", false},
      {R"({"op":{"nested":true}})"
       "\n",
       "request without an op", false},
      {R"({"op":"hello","id":)" + deep + "}\n", "request nested deeper than 64 levels", false},
      {std::string(100000, '{') + "\n", "request nested deeper than 64 levels", false},
      {R"({"op":"press","keycode":"x"})"
       "\n",
       "press: ", false},
      {huge, "request line longer than 1 MiB", true},
      {huge + "\n", "request line longer than 1 MiB", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 40));
    RawConnection raw(socketPath());
    ASSERT_TRUE(raw.connected());
    raw.send(c.bytes);
    const std::optional<Json> refused = raw.reply();
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->value("ok", true), false);
    EXPECT_EQ(refused->value("error", "").rfind(c.error, 0), 0u) << refused->dump();
    EXPECT_EQ(refused->value("v", 0), kControlProtocolVersion);
    if (c.closes) {
      EXPECT_FALSE(raw.reply().has_value());
    } else {
      raw.send(R"({"v":1,"id":2,"op":"hello"})"
               "\n");
      const std::optional<Json> served = raw.reply();
      ASSERT_TRUE(served.has_value());
      EXPECT_EQ(served->value("ok", false), true);
      EXPECT_EQ(served->value("id", 0), 2);
    }
  }
  // A refused request still gets its id back, so a driver can match it.
  RawConnection raw(socketPath());
  raw.send(R"({"op":"hello","v":"x","id":[7,{"k":"v"}]})"
           "\n");
  EXPECT_EQ(raw.reply()->at("id"), Json::parse(R"([7,{"k":"v"}])"));
  EXPECT_EQ(DesktopClient::connect(socketPath(), std::chrono::seconds(2)).call("hello").at("ok"),
            true);
}

// Connections that ended leave nothing behind, and no more than a bounded
// number are served at once; a refused one is told why.
TEST_F(ControlSocket, ConnectionsAreBoundedAndEndedOnesLeaveNothingBehind) {
  (void)DesktopClient::connect(socketPath(), std::chrono::seconds(2)).call("hello");
  const size_t before = mappings();
  for (int i = 0; i < 300; ++i) {
    (void)DesktopClient::connect(socketPath(), std::chrono::seconds(2)).call("hello");
  }
  EXPECT_LT(mappings(), before + 60);

  std::list<DesktopClient> clients;
  while (clients.size() < ControlServer::kMaxClients) {
    clients.push_back(DesktopClient::connect(socketPath(), std::chrono::seconds(2)));
    (void)clients.back().call("hello");
  }
  {
    RawConnection extra(socketPath());
    const std::optional<Json> refused = extra.reply();
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->value("error", ""), "too many connections");
    EXPECT_FALSE(extra.reply().has_value());
  }
  EXPECT_EQ(clients.front().call("hello").at("ok"), true) << "those served go on";
  // Once one leaves, another is served (its end is noticed at the next connection).
  clients.pop_front();
  bool served = false;
  for (int attempt = 0; attempt < 1000 && !served; ++attempt) {
    try {
      served = DesktopClient::connect(socketPath(), std::chrono::seconds(2)).call("hello").at("ok");
    } catch (const ControlError&) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  EXPECT_TRUE(served);
}

// Only the user may drive the desktop, whatever the umask; and a path that
// holds something else is refused, never removed.
TEST(ControlSocketPath, TheSocketIsTheUsersAloneAndNeverReplacesAFile) {
  const testing::TempDir dir;
  Desktop desktop;
  const std::string path = dir.file("sim.sock");
  {
    const mode_t saved = ::umask(0);
    auto started = ControlServer::start(desktop, path);
    ::umask(saved);
    ASSERT_TRUE(started.ok()) << started.error().message();
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
  }
  EXPECT_FALSE(std::filesystem::exists(path)) << "the server removes its own socket";

  std::ofstream(dir.file("notes.txt")) << "mine";
  std::filesystem::create_symlink(dir.file("notes.txt"), dir.file("link.sock"));
  for (const char* name : {"notes.txt", "link.sock"}) {
    SCOPED_TRACE(name);
    auto refused = ControlServer::start(desktop, dir.file(name));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message(),
              "control socket " + dir.file(name) + ": exists and is not a socket");
    std::ifstream in(dir.file(name));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "mine");
  }

  // A socket an earlier run left behind is replaced.
  const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.data(), path.size());
  ASSERT_EQ(::bind(stale, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)), 0);
  ::close(stale);
  auto replaced = ControlServer::start(desktop, path);
  ASSERT_TRUE(replaced.ok()) << replaced.error().message();
  EXPECT_EQ(DesktopClient::connect(path, std::chrono::seconds(2)).call("hello").at("ok"), true);

  // One that a server still listens on is that server's: a second start at
  // the same path is refused, and the first goes on answering.
  Desktop second;
  auto refused = ControlServer::start(second, path);
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().message(), "control socket " + path + ": in use by another program");
  EXPECT_EQ(DesktopClient::connect(path, std::chrono::seconds(2)).call("hello").at("ok"), true);
}

}  // namespace
}  // namespace vyx::os::sim
