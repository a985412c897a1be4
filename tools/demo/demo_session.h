// One run of vyx for the demo: started on its simulated desktop with a fresh
// configuration directory, brought to "ready" as a person would, driven over
// its control socket and quit through its menu.
//
// Threads: one thread drives a session; the live view opens its own
// connection to the same socket.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "os/sim/control/client.h"
#include "passage.h"
#include "support/vyx_process.h"

namespace vyx::demo {

inline constexpr const char* kTextEdit = "com.apple.TextEdit";

// What went wrong, for the person running the demo; the demo ends non-zero.
class DemoError final : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Tells the person what happens; does nothing in quiet mode.
using Narrator = std::function<void(std::string_view)>;

class DemoSession final {
 public:
  // Starts vyx; throws DemoError when it cannot be started. A quiet session
  // is trusted from the start and logs no keystrokes; otherwise vyx starts
  // as on a fresh Mac, with its verbose log.
  DemoSession(bool quiet, Narrator say);
  DemoSession(const DemoSession&) = delete;
  DemoSession& operator=(const DemoSession&) = delete;

  // Waits for "Vyx ready" (trusted) or goes through the onboarding window
  // and grants Accessibility; ends with TextEdit frontmost and the event tap
  // enabled. Throws DemoError when vyx ends or does not get there in time.
  void bringUp();

  // Types an intended text as a person and waits until the desktop is quiet.
  void type(const std::string& text, const os::sim::TypeOptions& options);
  // Presses a key and waits until the desktop is quiet.
  void act(const KeyAction& key);
  // Throws DemoError when the desktop does not go quiet.
  void settle();

  [[nodiscard]] std::string fieldText() { return client_.text(kTextEdit); }
  [[nodiscard]] os::sim::DesktopClient& client() { return client_; }
  [[nodiscard]] const std::string& socketPath() const { return vyx_.socketPath(); }

  // "Выйти" in the status menu; throws DemoError unless vyx ends with 0.
  void quitFromMenu();
  [[nodiscard]] std::string log() const { return vyx_.stderrText(); }

 private:
  os::sim::DesktopClient connect();
  void waitForStart(std::string_view line);
  void onboard();
  [[noreturn]] void fail(const std::string& what) const;

  Narrator say_;
  testing::VyxProcess vyx_;
  os::sim::DesktopClient client_;
};

}  // namespace vyx::demo
