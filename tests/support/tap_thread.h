// An event tap on its own run-loop thread, made the way the program makes
// its tap thread, with a callback the test writes as a lambda.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "os/event_tap.h"
#include "os/events.h"
#include "support/eventually.h"

namespace vyx::os::testing {

// Every type the program's tap asks for, and the scroll wheel left out.
inline constexpr EventMask kKeyAndMouseMask = 0x0E001CFE;

using vyx::testing::eventually;

// The text of a key event, as the program's callback reads it.
[[nodiscard]] inline std::u16string eventText(Event* event) {
  char16_t buffer[8];
  size_t n = 0;
  eventKeyboardGetUnicodeString(event, 8, &n, buffer);
  return {buffer, n};
}

class TapThread final {
 public:
  using Callback = std::function<Event*(EventType, Event*)>;

  explicit TapThread(Callback callback, EventMask mask = kKeyAndMouseMask,
                     EventTapPlacement place = kHeadInsertEventTap,
                     EventTapOptions options = kEventTapOptionDefault)
      : callback_(std::move(callback)) {
    tap_ = eventTapCreate(kSessionEventTap, place, options, mask, &TapThread::trampoline, this);
    if (tap_ == nullptr) return;
    source_ = machPortCreateRunLoopSource(tap_, 0);
    thread_ = std::thread([this] {
      loop_ = runLoopGetCurrent();
      runLoopAddSource(loop_, source_, kRunLoopCommonModes);
      eventTapEnable(tap_, true);
      started_ = true;
      runLoopRun();
      exited_ = true;
    });
    while (!started_) std::this_thread::yield();
  }

  ~TapThread() {
    if (!thread_.joinable()) return;
    eventTapEnable(tap_, false);  // later events must not wait for a loop that is gone
    // A stop only reaches a loop that runs: repeat until the thread is out.
    while (!exited_) {
      runLoopStop(loop_.load());
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    thread_.join();
    release(source_);
  }
  TapThread(const TapThread&) = delete;
  TapThread& operator=(const TapThread&) = delete;

  [[nodiscard]] EventTap* tap() const { return tap_; }

 private:
  static Event* trampoline(void* /*proxy*/, EventType type, Event* event, void* self) {
    return static_cast<TapThread*>(self)->callback_(type, event);
  }

  Callback callback_;
  EventTap* tap_ = nullptr;
  RunLoopSource* source_ = nullptr;
  std::atomic<RunLoop*> loop_{nullptr};
  std::atomic<bool> started_{false};
  std::atomic<bool> exited_{false};
  std::thread thread_;
};

}  // namespace vyx::os::testing
