#include "shell/hook_control.h"

#include <memory>
#include <thread>
#include <utility>

#include "log/logger.h"
#include "platform/panic.h"

namespace vyx {

std::atomic<int32_t> hookStarted{0};
std::mutex hookMu;

namespace {

// Null until wired. Never destroyed: the Accessibility watcher may still use
// it while the process ends.
KeyboardHookControl* processHookControl = nullptr;

}  // namespace

void wireKeyboardHook(HookEnvironment env) {
  processHookControl =
      std::make_unique<KeyboardHookControl>(hookStarted, hookMu, std::move(env)).release();
}

Status ensureKeyboardHook() {
  if (processHookControl == nullptr) return Error("keyboard hook control is not wired");
  return processHookControl->ensure();
}

// The watcher lives as long as the process or until the hook runs; nothing
// waits for it.
void waitForAccessibility() {
  KeyboardHookControl* control = processHookControl;
  if (control == nullptr) return;
  std::thread([control] { control->watchAccessibility(); }).detach();
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
  startHealthWatch();
  return {};
}

KeyboardHookControl::~KeyboardHookControl() {
  {
    const std::lock_guard lock(healthMu_);
    healthStop_ = true;
  }
  healthCv_.notify_all();
  if (healthWatch_.joinable()) healthWatch_.join();
}

void KeyboardHookControl::startHealthWatch() {
  if (!env_.checkHookHealth) return;
  // The last watch ended when it stopped its hook, or is about to: it takes
  // no lock after that.
  if (healthWatch_.joinable()) healthWatch_.join();
  healthWatch_ = std::thread([this] { watchHealth(); });
}

bool KeyboardHookControl::pauseHealthWatch() {
  std::unique_lock lock(healthMu_);
  return healthCv_.wait_for(lock, kHookHealthInterval, [&] { return healthStop_; });
}

// Runs as long as its hook: nothing else could take the tap out of the
// event path in time, so a failure inside is logged and the watch goes on.
void KeyboardHookControl::watchHealth() {
  bool panicked = false;
  while (!pauseHealthWatch()) {
    try {
      const Status health = env_.checkHookHealth();
      if (health.ok()) continue;
      loseHook(health.error());
      return;
    } catch (...) {
      if (!panicked) logPanic("permission watch", false);
      panicked = true;
    }
  }
}

void KeyboardHookControl::loseHook(const Error& why) {
  {
    const std::lock_guard lock(mu_);
    if (started_.load() == 0) return;
    if (env_.stopHook) env_.stopHook();
    started_.store(0);
    reportTray(0);
    logf("Keyboard hook stopped: %v — Vyx waiting for Accessibility permission", why);
    if (env_.hookLost) env_.hookLost();
  }
  if (env_.waitForAccessibility) env_.waitForAccessibility();
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
