#include "shell/hook_control.h"

#include <thread>
#include <utility>

#include "log/logger.h"
#include "platform/accessibility.h"
#include "platform/event_tap.h"
#include "platform/panic.h"
#include "shell/onboarding_window.h"
#include "shell/tray_handlers.h"
#include "shell/tray_ui.h"

namespace vyx {

std::atomic<int32_t> hookStarted{0};
std::mutex hookMu;

namespace {

KeyboardHookControl& processHookControl() {
  static KeyboardHookControl control(
      hookStarted, hookMu,
      HookEnvironment{
          .startHook = startHook,
          .checkAccessibility = checkAccessibility,
          .isTrayEnabled = isTrayEnabled,
          .updateTrayState = ui::updateTrayState,
          .showOnboardingReady = ui::showOnboardingReady,
          .sleep = [](std::chrono::nanoseconds d) { std::this_thread::sleep_for(d); },
      });
  return control;
}

}  // namespace

Status ensureKeyboardHook() {
  return processHookControl().ensure();
}

// The watcher lives as long as the process or until the hook runs; nothing
// waits for it.
void waitForAccessibility() {
  std::thread([] { processHookControl().watchAccessibility(); }).detach();
}

Status KeyboardHookControl::ensure() {
  if (started_.load() == 1) return {};
  const std::lock_guard lock(mu_);
  if (started_.load() == 1) return {};
  Status result = env_.startHook();
  if (!result.ok()) {
    reportTray(0);
    return result;
  }
  started_.store(1);
  reportTray(1);
  env_.showOnboardingReady();
  return {};
}

void KeyboardHookControl::reportTray(int hookActive) const {
  env_.updateTrayState(env_.isTrayEnabled() ? 1 : 0, hookActive);
}

void KeyboardHookControl::watchAccessibility() {
  try {
    watchUntilStarted();
  } catch (...) {
    logPanic("accessibility watcher", false);
  }
}

void KeyboardHookControl::watchUntilStarted() {
  for (;;) {
    env_.sleep(kAccessibilityCheckInterval);
    // Start-up or the menu got there first.
    if (started_.load() == 1) return;
    if (!env_.checkAccessibility()) continue;
    const Status started = ensure();
    if (started.ok()) {
      logLine("Accessibility granted — Vyx ready");
      return;
    }
    logf("Keyboard hook still not ready: %v", started.error());
  }
}

}  // namespace vyx
