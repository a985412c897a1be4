// Starting the keyboard hook: at most one successful start per process,
// whoever asks (start-up, the Accessibility watcher, the menu's permission
// check) and from whichever thread; and the Accessibility watcher, which
// waits for the permission when the hook could not start at launch. The
// menu asks it to start the hook, so it reaches the menu and the onboarding
// window only through the reports the composition root wires in.
//
// Threads: wireKeyboardHook on the main thread at start-up, before anything
// can start the hook. ensure runs on the main thread and on watcher threads.
// The started flag goes 0 -> 1 once and is read without a lock; the mutex
// serialises start attempts and is held from the second look at the flag
// until the attempt has been reported, so attempts never overlap and none
// follows a success. The reports (tray state, onboarding ready) only queue
// work on the main queue, so holding the mutex while making them cannot
// block, on the main thread either.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>

#include "log/error.h"

namespace vyx {

// 1 once the keyboard hook runs; never set back to 0.
extern std::atomic<int32_t> hookStarted;
// Serialises start attempts of the keyboard hook.
extern std::mutex hookMu;

// What the hook control calls: the bridge's start and permission check,
// the menu switch, the face's two reports and the watcher's pause.
struct HookEnvironment {
  std::function<Status()> startHook;
  std::function<bool()> checkAccessibility;
  std::function<bool()> isTrayEnabled;
  std::function<void(int enabled, int hookActive)> updateTrayState;
  std::function<void()> showOnboardingReady;
  std::function<void(std::chrono::nanoseconds)> sleep;
};

inline constexpr std::chrono::seconds kAccessibilityCheckInterval{2};

class KeyboardHookControl final {
 public:
  KeyboardHookControl(std::atomic<int32_t>& started, std::mutex& mu, HookEnvironment env)
      : started_(started), mu_(mu), env_(std::move(env)) {}
  KeyboardHookControl(const KeyboardHookControl&) = delete;
  KeyboardHookControl& operator=(const KeyboardHookControl&) = delete;

  // None when the hook runs, already or now; else the start's error as is.
  [[nodiscard]] Status ensure();
  // The Accessibility watcher: checks every interval until the hook runs;
  // silent while the process is untrusted. A failure inside ends it after
  // one log line; nothing restarts it.
  void watchAccessibility();

 private:
  void reportTray(int hookActive) const;
  void watchUntilStarted();

  std::atomic<int32_t>& started_;
  std::mutex& mu_;
  const HookEnvironment env_;
};

// Makes the process's hook control, on hookStarted and hookMu; once.
void wireKeyboardHook(HookEnvironment env);
// Its ensure; an error while it is not wired.
[[nodiscard]] Status ensureKeyboardHook();
// Starts one Accessibility watcher thread on it and returns at once; none
// while it is not wired.
void waitForAccessibility();

}  // namespace vyx
