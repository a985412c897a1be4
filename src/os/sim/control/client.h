// The driver's side of the control protocol: a connection to a program's
// simulated desktop, with the control surface's operations as methods.
//
// A test and demo tool, not part of the program: a failed call (the program
// gone, a refused request) throws ControlError.
//
// Threads: one connection serves one thread at a time; open another
// connection for concurrent requests.
#pragma once

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "os/sim/control/protocol.h"

namespace vyx::os::sim {

class ControlError final : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class DesktopClient final {
 public:
  // Connects, retrying until the socket answers or the time is up.
  [[nodiscard]] static DesktopClient connect(const std::string& path,
                                             std::chrono::milliseconds timeout);
  DesktopClient(DesktopClient&& other) noexcept;
  DesktopClient& operator=(DesktopClient&& other) noexcept;
  DesktopClient(const DesktopClient&) = delete;
  DesktopClient& operator=(const DesktopClient&) = delete;
  ~DesktopClient();

  // One request; the reply's fields. Throws ControlError on failure.
  Json call(const std::string& op, Json args = Json::object());

  // Typed operations (see Desktop for what each does).
  std::string typeAsPerson(const std::string& text, const TypeOptions& options = {});
  void press(uint16_t keycode, EventFlags modifiers = 0);
  void tapModifier(uint16_t keycode);
  void clickAtCaret(size_t caret);
  void activate(const std::string& bundleID);
  void addApp(const std::string& bundleID, bool ignoresCopy = false);
  [[nodiscard]] std::optional<std::string> frontmost();
  [[nodiscard]] FieldState field(const std::string& bundleID);
  [[nodiscard]] std::string text(const std::string& bundleID);
  void setField(const std::string& bundleID, const FieldState& state);
  [[nodiscard]] std::string currentInputSource();
  void selectInputSource(const std::string& id);
  void setTrusted(bool trusted);
  void setPasteboard(const std::vector<PasteboardItemContent>& items);
  [[nodiscard]] std::vector<PasteboardItemContent> pasteboard();
  [[nodiscard]] bool waitIdle(std::chrono::milliseconds timeout = std::chrono::seconds(10),
                              std::chrono::milliseconds quiet = std::chrono::milliseconds(200));
  [[nodiscard]] std::optional<std::string> statusItemTitle();
  [[nodiscard]] std::optional<MenuSnapshot> statusMenu();
  bool clickStatusMenuItem(const std::vector<std::string>& path);
  [[nodiscard]] std::optional<AlertSnapshot> currentAlert();
  bool dismissAlert(const std::string& button = "OK");
  [[nodiscard]] std::vector<WindowSnapshot> windows();
  [[nodiscard]] std::vector<std::vector<std::string>> launches();
  [[nodiscard]] std::vector<Arrival> arrivals(const std::string& bundleID);
  [[nodiscard]] std::vector<Arrival> personPosts();
  void clearRecords();
  [[nodiscard]] std::vector<TapInfo> taps();
  void setTapTimeout(std::chrono::milliseconds timeout);

 private:
  explicit DesktopClient(int fd) : fd_(fd) {}
  int fd_ = -1;
  int64_t nextId_ = 1;
  LineBuffer pending_;
};

}  // namespace vyx::os::sim
