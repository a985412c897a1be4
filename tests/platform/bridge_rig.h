// The program's pipeline and bridge on a simulated desktop, wired as the
// shell wires them: the App with the bridge's operations, published, the
// key handler set, the frontmost observer installed and the hook started.
// The person types through the desktop; the test reads the screen.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "detect/detector.h"
#include "os/sim/desktop.h"
#include "os/sim/key_codes.h"
#include "pipeline/app.h"
#include "pipeline/rollback_tracker.h"
#include "pipeline/undo_state.h"
#include "platform/bridge_ops.h"
#include "platform/event_tap.h"
#include "platform/frontmost.h"
#include "platform/tap_callbacks.h"
#include "store/config.h"
#include "support/eventually.h"

namespace vyx::testing {

namespace sim = os::sim;
// The keys of the person's keyboard, by the simulation's own names.
namespace key = os::sim::key;

inline constexpr const char* kTextEdit = "com.apple.TextEdit";
inline constexpr const char* kNotes = "com.apple.Notes";
inline constexpr const char* kUS = "com.apple.keylayout.US";
inline constexpr const char* kRussian = "com.apple.keylayout.Russian";

inline sim::DesktopOptions trustedDesktop() {
  sim::DesktopOptions options;
  options.trusted = true;
  return options;
}

// A pasteboard's items as their types and data, comparable.
using PasteboardTypes = std::vector<std::pair<std::string, std::optional<os::Bytes>>>;
inline std::vector<PasteboardTypes> contents(const std::vector<sim::PasteboardItemContent>& items) {
  std::vector<PasteboardTypes> out;
  out.reserve(items.size());
  for (const auto& item : items) out.push_back(item.types);
  return out;
}

// Keys as fast as the window server takes them.
inline constexpr sim::TypeOptions kQuick{std::chrono::milliseconds(1)};

// Holds the worker at the start of every replaceText until let go: a
// correction being typed for as long as the test needs.
class TypingGate final {
 public:
  [[nodiscard]] AppOps wrap(AppOps ops) {
    ops.replaceText = [this, inner = ops.replaceText](int64_t n, const std::string& text,
                                                      const std::string& app) {
      std::unique_lock lock(mu_);
      entered_ = true;
      cv_.notify_all();
      cv_.wait(lock, [&] { return open_; });
      lock.unlock();
      return inner(n, text, app);
    };
    return ops;
  }
  [[nodiscard]] bool waitEntered() {
    std::unique_lock lock(mu_);
    return cv_.wait_for(lock, std::chrono::seconds(10), [&] { return entered_; });
  }
  void letGo() {
    const std::lock_guard lock(mu_);
    open_ = true;
    cv_.notify_all();
  }

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  bool entered_ = false;
  bool open_ = false;
};

class BridgeRig final {
 public:
  explicit BridgeRig(sim::DesktopOptions options = trustedDesktop(), AppOps ops = bridgeAppOps())
      : desktop(std::move(options)),
        ru(mustLoad("ru", "привет\nмир\nдом\nкак\nдела\nслово\nработа\nпойдём\n")),
        en(mustLoad("en", "hello\nworld\nhouse\nword\nwork\n")),
        detector(ru, en),
        tracker(nullptr) {
    setMouseGateState(false);
    app = newApp(cfg, nullptr, detector, &tracker, std::move(ops), systemClock(), &undo);
    setTrayApp(app.get());
    App* a = app.get();
    setKeyHandler([a](uint16_t k, char32_t c, int64_t f, std::u16string_view t) {
      return a->onKeyEvent(k, c, f, t);
    });
    watchBusy(true);
    desktop.onMain([] { vyxInstallFrontmostObserver(); });
    const Status started = startHook();
    EXPECT_TRUE(started.ok()) << (started.ok() ? "" : started.error().message());
    // The tap thread is inside its run loop once an event went through it.
    desktop.mouseMove({1, 1});
    EXPECT_TRUE(idle());
    const auto taps = desktop.taps();
    EXPECT_TRUE(taps.size() == 1 && taps[0].enabled && taps[0].eventsSeen == 1);
  }

  ~BridgeRig() {
    EXPECT_TRUE(idle());
    setKeyHandler(nullptr);
    setTrayApp(nullptr);
    desktop.setBusyProbe(nullptr);
    app.reset();
  }
  BridgeRig(const BridgeRig&) = delete;
  BridgeRig& operator=(const BridgeRig&) = delete;

  // Every key processed, every correction typed, every held input replayed.
  [[nodiscard]] bool idle() {
    return desktop.waitIdle(std::chrono::seconds(20), std::chrono::milliseconds(20));
  }
  // Whether waiting for quiet also waits for the App to finish its work.
  void watchBusy(bool on) {
    App* a = app.get();
    desktop.setBusyProbe(on ? std::function<bool()>([a] { return a->isBusy(); }) : nullptr);
  }
  [[nodiscard]] std::string text() const { return desktop.text(kTextEdit); }

  sim::Desktop desktop;  // first: it outlives the App, whose worker posts to it
  Dict ru;
  Dict en;
  Config cfg;
  Detector detector;
  undoState undo;
  RollbackTracker tracker;
  std::unique_ptr<App> app;

 private:
  static Dict mustLoad(const char* code, const char* words) {
    auto dict = loadDictFromText(code, words);
    if (!dict.ok()) throw std::runtime_error(dict.error().message());
    return std::move(dict).value();
  }
};

}  // namespace vyx::testing
