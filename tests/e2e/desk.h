// The person's side of a running vyx: the program started with the
// Accessibility permission, its event tap enabled and TextEdit frontmost,
// and the helpers a scenario uses to type and look.
//
// Threads: one test thread uses a Desk.
#pragma once

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>

#include "os/sim/control/client.h"
#include "support/vyx_process.h"

namespace vyx::testing {

inline constexpr const char* kTextEdit = "com.apple.TextEdit";
inline constexpr const char* kUS = "com.apple.keylayout.US";
inline constexpr const char* kRussian = "com.apple.keylayout.Russian";
inline constexpr const char* kActive = "\u26A1";  // the menu bar icon of a running hook

// A person typing at an ordinary pace, a little unevenly.
inline constexpr os::sim::TypeOptions kPerson{std::chrono::milliseconds(30),
                                              std::chrono::milliseconds(10), 7};

class Desk final {
 public:
  explicit Desk(const VyxLaunch& launch = {.trusted = true}) : vyx_(launch), client_(connect()) {
    if (launch.trusted) ready();
  }

  // Waits for "Vyx ready", the event tap and the main queue (a fresh start
  // or after the grant).
  void ready() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!vyx_.logged("Vyx ready") && !vyx_.logged("Accessibility granted — Vyx ready")) {
      if (std::chrono::steady_clock::now() >= deadline || vyx_.waitExit({})) {
        throw std::runtime_error("vyx is not ready:\n" + vyx_.stderrText());
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!waitForEnabledTap(client_)) throw std::runtime_error("the event tap never ran");
    // The icon and the onboarding window change on the main queue a moment
    // after the log line, as on a Mac.
    settle();
  }

  [[nodiscard]] VyxProcess& vyx() { return vyx_; }
  [[nodiscard]] os::sim::DesktopClient& desktop() { return client_; }

  // The person clicks into the application and types only a moment later,
  // when vyx has heard of the switch: until then it judges words for the
  // application that was frontmost before.
  void activate(const std::string& app) {
    client_.activate(app);
    settle();
  }

  // An empty document in the application, frontmost, with the source the
  // person picked.
  void freshField(const std::string& source, const std::string& app = kTextEdit) {
    activate(app);
    client_.setField(app, {});
    client_.selectInputSource(source);
    settle();
  }

  // Types as a person, waits until everything has settled and returns what
  // the application's field shows.
  std::string type(const std::string& text, const os::sim::TypeOptions& options = kPerson,
                   const std::string& app = kTextEdit) {
    (void)client_.typeAsPerson(text, options);
    settle();
    return client_.text(app);
  }
  void press(uint16_t keycode, os::EventFlags modifiers = 0) {
    client_.press(keycode, modifiers);
    settle();
  }

  // The alert shown now, once there is one: alerts are queued on the main
  // queue and come up a moment after the action that asked for them.
  std::optional<os::sim::AlertSnapshot> alert() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::optional<os::sim::AlertSnapshot> shown = client_.currentAlert();
    while (!shown && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      shown = client_.currentAlert();
    }
    return shown;
  }

  void settle() {
    if (!client_.waitIdle(std::chrono::seconds(30))) {
      throw std::runtime_error("the desktop did not go quiet:\n" + vyx_.stderrText());
    }
  }

  // "Выйти" in the status menu; the process ends inside the action.
  void quitFromMenu() {
    try {
      (void)client_.clickStatusMenuItem({"Выйти"});
    } catch (const os::sim::ControlError&) {
    }
  }

 private:
  os::sim::DesktopClient connect() { return vyx_.connect(); }

  VyxProcess vyx_;
  os::sim::DesktopClient client_;
};

}  // namespace vyx::testing
