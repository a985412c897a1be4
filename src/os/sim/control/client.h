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
#include <tuple>
#include <vector>

#include "os/sim/control/line_stream.h"
#include "os/sim/control/operations.h"
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
  DesktopClient(DesktopClient&&) noexcept = default;
  DesktopClient& operator=(DesktopClient&&) noexcept = default;
  DesktopClient(const DesktopClient&) = delete;
  DesktopClient& operator=(const DesktopClient&) = delete;
  ~DesktopClient() = default;

  // One request; the reply's members. Throws ControlError on failure.
  Json call(const std::string& op, Json args = Json::object());
  // One of the operations (see operations.h): the request's members in
  // order; nothing, the reply's one value or a tuple of its values.
  template <class Args, class Reply, class Act, class... Values>
  auto run(const Operation<Args, Reply, Act>& op, const Values&... values) {
    return decodeReply(op.reply, call(op.name, encodeMembers(op.args, values...)));
  }

  // The operations as Desktop has them.
  std::string typeAsPerson(const std::string& text, const TypeOptions& options = {}) {
    return run(op::typeAsPerson, text, options);
  }
  void press(uint16_t keycode, EventFlags modifiers = 0) { run(op::press, keycode, modifiers); }
  void tapModifier(uint16_t keycode) { run(op::tapModifier, keycode); }
  void clickAtCaret(size_t caret) { run(op::clickAtCaret, caret); }
  void activate(const std::string& bundleID) { run(op::activate, bundleID); }
  void addApp(const std::string& bundleID, bool ignoresCopy = false) {
    run(op::addApp, bundleID, ignoresCopy);
  }
  [[nodiscard]] std::optional<std::string> frontmost() { return run(op::frontmost); }
  [[nodiscard]] FieldState field(const std::string& bundleID) { return run(op::field, bundleID); }
  [[nodiscard]] std::string text(const std::string& bundleID) { return field(bundleID).text; }
  void setField(const std::string& bundleID, const FieldState& state) {
    run(op::setField, bundleID, state);
  }
  [[nodiscard]] std::string currentInputSource() { return run(op::currentInputSource); }
  void selectInputSource(const std::string& id) { run(op::selectInputSource, id); }
  void setTrusted(bool trusted) { run(op::setTrusted, trusted); }
  void setPasteboard(const std::vector<PasteboardItemContent>& items) {
    run(op::setPasteboard, items);
  }
  [[nodiscard]] std::vector<PasteboardItemContent> pasteboard() { return run(op::pasteboard); }
  [[nodiscard]] bool waitIdle(std::chrono::milliseconds timeout = std::chrono::seconds(10),
                              std::chrono::milliseconds quiet = std::chrono::milliseconds(200)) {
    return run(op::waitIdle, timeout, quiet);
  }
  [[nodiscard]] std::optional<std::string> statusItemTitle() {
    return std::get<0>(run(op::statusItem));
  }
  [[nodiscard]] std::optional<MenuSnapshot> statusMenu() { return run(op::statusMenu); }
  bool clickStatusMenuItem(const std::vector<std::string>& path) {
    return run(op::clickStatusMenuItem, path);
  }
  [[nodiscard]] std::optional<AlertSnapshot> currentAlert() { return run(op::currentAlert); }
  bool dismissAlert(const std::string& button = "OK") { return run(op::dismissAlert, button); }
  [[nodiscard]] std::vector<WindowSnapshot> windows() { return run(op::windows); }
  [[nodiscard]] std::vector<std::vector<std::string>> launches() { return run(op::launches); }
  [[nodiscard]] std::vector<Arrival> arrivals(const std::string& bundleID) {
    return run(op::arrivals, bundleID);
  }
  [[nodiscard]] std::vector<Arrival> personPosts() { return run(op::personPosts); }
  void clearRecords() { run(op::clearRecords); }
  [[nodiscard]] std::vector<TapInfo> taps() { return run(op::taps); }
  void setTapTimeout(std::chrono::milliseconds timeout) { run(op::setTapTimeout, timeout); }

 private:
  explicit DesktopClient(int fd) : stream_(fd) {}
  LineStream stream_;
  int64_t nextId_ = 1;
};

}  // namespace vyx::os::sim
