// Starting the keyboard hook: one hook at a time, whoever asks (start-up,
// the Accessibility watcher, the menu's permission check) and from whichever
// thread; the Accessibility watcher, which waits for the permission when the
// hook could not start; and the permission watch, which takes the hook out
// of the event path as soon as the person takes the permission away while it
// runs (macOS says nothing then, and an active tap left in the path holds up
// the whole session), and sets the Accessibility watcher going again. The
// menu asks it to start the hook, so it reaches the menu and the onboarding
// window only through the reports the composition root wires in.
//
// Threads: wireKeyboardHook on the main thread at start-up, before anything
// can start the hook. ensure runs on the main thread and on watcher threads;
// the permission watch on a thread of its own, one per running hook. The
// started flag goes 0 -> 1 at a start and back to 0 only when the permission
// watch stops the hook; it is read without a lock. The mutex serialises
// starts and the stop and is held from the second look at the flag until
// the change has been reported, so they never overlap and no start follows a
// start. The reports (tray state, onboarding ready) only queue work on the
// main queue, so holding the mutex while making them cannot block, on the
// main thread either. The permission watch's own mutex is taken alone.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "log/error.h"

namespace vyx {

// 1 while the keyboard hook runs.
extern std::atomic<int32_t> hookStarted;
// Serialises start attempts of the keyboard hook.
extern std::mutex hookMu;

// What the hook control calls: the bridge's start, stop and permission
// checks, the menu switch, the face's two reports, the watcher's pause, the
// pipeline's side of a lost hook and the start of an Accessibility watcher.
struct HookEnvironment {
  std::function<Status()> startHook;
  std::function<bool()> checkAccessibility;
  std::function<bool()> isTrayEnabled;
  std::function<void(int enabled, int hookActive)> updateTrayState;
  std::function<void()> showOnboardingReady;
  std::function<void(std::chrono::nanoseconds)> sleep;
  // None while the running hook may stay; else why it must go.
  std::function<Status()> checkHookHealth;
  std::function<void()> stopHook;
  // After the stop: what the pipeline held or queued cannot be typed.
  std::function<void()> hookLost;
  std::function<void()> waitForAccessibility;
};

inline constexpr std::chrono::seconds kAccessibilityCheckInterval{2};
// Within this, a permission taken away takes the tap out of the event path.
inline constexpr std::chrono::milliseconds kHookHealthInterval{200};

class KeyboardHookControl final {
 public:
  KeyboardHookControl(std::atomic<int32_t>& started, std::mutex& mu, HookEnvironment env)
      : started_(started), mu_(mu), env_(std::move(env)) {}
  // Ends the permission watch. The process's control is never destroyed.
  ~KeyboardHookControl();
  KeyboardHookControl(const KeyboardHookControl&) = delete;
  KeyboardHookControl& operator=(const KeyboardHookControl&) = delete;

  // None when the hook runs, already or now; else the start's error as is.
  // A start also starts the permission watch.
  [[nodiscard]] Status ensure();
  // The Accessibility watcher: checks every interval until the hook runs;
  // silent while the process is untrusted. A failure inside ends it after
  // one log line; nothing restarts it.
  void watchAccessibility();

 private:
  void reportTray(int hookActive) const;
  void watchUntilStarted();
  void startHealthWatch();
  void watchHealth();
  // Whether the watch was asked to end during its pause.
  bool pauseHealthWatch();
  void loseHook(const Error& why);

  std::atomic<int32_t>& started_;
  std::mutex& mu_;
  const HookEnvironment env_;

  std::mutex healthMu_;
  std::condition_variable healthCv_;
  bool healthStop_ = false;  // guarded by healthMu_
  // The permission watch of the running hook, or of the last one (ended
  // once it stopped that hook); joined before the next starts. Under mu_.
  std::thread healthWatch_;
};

// Makes the process's hook control, on hookStarted and hookMu; once.
void wireKeyboardHook(HookEnvironment env);
// Its ensure; an error while it is not wired.
[[nodiscard]] Status ensureKeyboardHook();
// Starts one Accessibility watcher thread on it and returns at once; none
// while it is not wired.
void waitForAccessibility();

}  // namespace vyx
