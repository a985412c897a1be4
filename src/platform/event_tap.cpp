#include "platform/event_tap.h"

#include <array>
#include <chrono>
#include <memory>
#include <mutex>
#include <string_view>
#include <utility>

#include "os/accessibility.h"
#include "pipeline/key_codes.h"
#include "platform/accessibility.h"
#include "platform/own_events.h"
#include "platform/tap_callbacks.h"
#include "platform/tap_thread.h"

namespace vyx {

// The pipeline reads the flags and event types handed to it by its own names.
static_assert(static_cast<os::EventFlags>(kFlagCapsLock) == os::kEventFlagMaskAlphaShift &&
              static_cast<os::EventFlags>(kFlagShift) == os::kEventFlagMaskShift &&
              static_cast<os::EventFlags>(kFlagControl) == os::kEventFlagMaskControl &&
              static_cast<os::EventFlags>(kFlagOption) == os::kEventFlagMaskAlternate &&
              static_cast<os::EventFlags>(kFlagCommand) == os::kEventFlagMaskCommand);
static_assert(kMouseLeftDown == os::kEventLeftMouseDown &&
              kMouseRightDown == os::kEventRightMouseDown &&
              kMouseOtherDown == os::kEventOtherMouseDown);

std::atomic<os::EventTap*> activeEventTap{nullptr};
std::atomic<int32_t> mouseGateFlag{0};

namespace {

// The event services keep at most this many UTF-16 units of a key's text.
constexpr size_t kMaxKeyText = 20;

// The tap answered "drop" to the last key down only after the system had
// given up waiting and disabled the tap: the key went on to the application
// anyway. Told to the pipeline with the disabled-by-timeout notice that
// follows. Tap thread.
std::atomic<bool> droppedKeyPassed{false};

// The system disabled the tap when the program no longer had the trust to
// take it back: it stays off until the hook is stopped and started again.
std::atomic<bool> tapLeftOff{false};

// How long stopHook waits for the tap thread to give the tap back.
constexpr std::chrono::seconds kTapStopTimeout{2};

// The thread that serves the running tap; null while none runs.
std::mutex servingMu;
std::shared_ptr<TapThread> servingThread;  // guarded by servingMu

bool isMouseType(os::EventType type) {
  switch (type) {
    case os::kEventLeftMouseDown:
    case os::kEventLeftMouseUp:
    case os::kEventRightMouseDown:
    case os::kEventRightMouseUp:
    case os::kEventLeftMouseDragged:
    case os::kEventRightMouseDragged:
    case os::kEventOtherMouseDown:
    case os::kEventOtherMouseUp:
    case os::kEventOtherMouseDragged:
      return true;
    case os::kEventMouseMoved:
      return mouseGateFlag.load() != 0;
    default:
      return false;
  }
}

// The pipeline gets a copy it may keep; the event itself is only passed
// on or dropped.
os::Event* offerMouse(os::EventType type, os::Event* event) {
  os::Event* copy = os::eventCreateCopy(event);
  if (copy == nullptr) return event;
  if (goMouseEvent(reinterpret_cast<uintptr_t>(copy), type) != 0) return nullptr;
  os::release(copy);
  return event;
}

os::Event* offerKey(os::EventType type, os::Event* event) {
  const int64_t keycode = os::eventGetIntegerValueField(event, os::kKeyboardEventKeycode) & 0xFFFF;
  const os::EventFlags flags = os::eventGetFlags(event);
  const int64_t userData = os::eventGetIntegerValueField(event, os::kEventSourceUserData);
  // The whole text, for a key held back and typed again later: a key may
  // give a surrogate pair, a letter with a combining mark, or a few letters.
  std::array<char16_t, kMaxKeyText> text;  // only the first length units are read
  size_t length = 0;
  if (type == os::kEventKeyDown) {
    os::eventKeyboardGetUnicodeString(event, text.size(), &length, text.data());
  }
  const char16_t ch = length != 0 ? text[0] : 0;
  if (goKeyCallback(keycode, ch, flags, userData, std::u16string_view(text.data(), length)) == 0) {
    return event;
  }
  os::EventTap* tap = activeEventTap.load();
  if (type == os::kEventKeyDown && tap != nullptr && !os::eventTapIsEnabled(tap)) {
    droppedKeyPassed.store(true, std::memory_order_relaxed);
  }
  return nullptr;
}

os::EventTap* createTap() {
  os::EventTap* tap =
      os::eventTapCreate(os::kSessionEventTap, os::kHeadInsertEventTap, os::kEventTapOptionDefault,
                         kEventTapMask, &eventTapCallback, nullptr);
  activeEventTap.store(tap);
  return tap;
}

bool isTapNull(const os::EventTap* tap) {
  return tap == nullptr;
}

os::Event* passEvent(void* /*proxy*/, os::EventType /*type*/, os::Event* event,
                     void* /*userInfo*/) {
  return event;
}

// The system makes a tap without the key events the process may not see and
// refuses one left with nothing, so a tap of keys alone tells whether keys
// would reach ours. It is given back at once, never served.
bool keysReachTaps() {
  os::EventTap* probe = os::eventTapCreate(
      os::kSessionEventTap, os::kHeadInsertEventTap, os::kEventTapOptionDefault,
      os::eventMaskBit(os::kEventKeyDown) | os::eventMaskBit(os::kEventKeyUp), &passEvent, nullptr);
  if (probe == nullptr) return false;
  os::eventTapEnable(probe, false);
  os::release(probe);
  return true;
}

}  // namespace

Status startHook() {
  if (!checkAccessibility()) {
    return Error("grant Accessibility in System Settings > Privacy & Security > Accessibility");
  }
  // Trusted, and still refused: the pipeline would swallow the keys it
  // means to type again and type nothing.
  if (!os::preflightPostEventAccess()) {
    return Error(
        "sending keystrokes is not allowed: switch Vyx off and on again in System Settings > "
        "Privacy & Security > Accessibility");
  }
  os::EventTap* tap = createTap();
  if (isTapNull(tap)) return Error("failed to create event tap");
  // A tap the system made without key events would run and correct nothing.
  if (!keysReachTaps()) {
    activeEventTap.store(nullptr);
    os::release(tap);
    return Error(
        "keystrokes do not reach Vyx: allow it in System Settings > Privacy & Security > "
        "Accessibility and Input Monitoring");
  }
  os::RunLoopSource* source = os::machPortCreateRunLoopSource(tap, 0);
  if (source == nullptr) {
    // Without a source the tap would never be enabled: a hook reported as
    // running that sees no key. Failing lets the caller try again later.
    activeEventTap.store(nullptr);
    os::release(tap);
    return Error("failed to create event tap run loop source");
  }
  tapLeftOff.store(false);
  Result<std::shared_ptr<TapThread>> thread = TapThread::start(tap, source);
  if (!thread.ok()) {
    activeEventTap.store(nullptr);
    return thread.error();
  }
  const std::lock_guard lock(servingMu);
  servingThread = std::move(thread).value();
  return {};
}

void stopHook() {
  std::shared_ptr<TapThread> thread;
  {
    const std::lock_guard lock(servingMu);
    thread = std::move(servingThread);
  }
  // The callback re-enables only the tap it finds here.
  activeEventTap.store(nullptr);
  if (thread) thread->stop(kTapStopTimeout);
}

Status checkHookHealth() {
  if (!checkAccessibility()) return Error("the Accessibility permission was taken away");
  if (!os::preflightPostEventAccess()) return Error("sending keystrokes is no longer allowed");
  // The access came back after the callback found it gone.
  if (tapLeftOff.load()) return Error("the system disabled the event tap without the permission");
  return {};
}

os::Event* eventTapCallback(void* /*proxy*/, os::EventType type, os::Event* event, void* userInfo) {
  if (type == os::kEventTapDisabledByTimeout || type == os::kEventTapDisabledByUserInput) {
    os::EventTap* tap =
        userInfo != nullptr ? static_cast<os::EventTap*>(userInfo) : activeEventTap.load();
    // Enabled again without the trust, an active tap would hold up every
    // key and click of the session once more.
    bool reenabled = false;
    if (tap != nullptr) {
      reenabled = inputAccessHeld();
      if (reenabled) {
        os::eventTapEnable(tap, true);
      } else {
        tapLeftOff.store(true);
      }
    }
    const bool keyPassed = droppedKeyPassed.exchange(false);
    goTapDisabled(type == os::kEventTapDisabledByTimeout ? 1 : 2,
                  keyPassed && type == os::kEventTapDisabledByTimeout, reenabled);
    // Only now: a worker waiting for a post that got by unseen goes on
    // knowing what got through.
    forgetUnseenOwnEvents();
    return event;
  }
  droppedKeyPassed.store(false, std::memory_order_relaxed);
  if (event != nullptr &&
      os::eventGetIntegerValueField(event, os::kEventSourceUserData) == syntheticEventMarker) {
    if (type == os::kEventKeyUp &&
        os::eventGetIntegerValueField(event, os::kKeyboardEventKeycode) == kTapCheckpointKey) {
      // One the system stopped waiting for shows nothing: keys behind it are
      // going by unseen. The notice that follows counts it, once recorded.
      os::EventTap* tap = activeEventTap.load();
      if (tap == nullptr || os::eventTapIsEnabled(tap)) noteOwnEventSeen();
      return nullptr;
    }
    noteOwnEventSeen();
    const bool key = type == os::kEventKeyDown || type == os::kEventKeyUp;
    return key && ownKeyMisdirected() ? nullptr : event;
  }
  if (isMouseType(type)) return offerMouse(type, event);
  switch (type) {
    case os::kEventKeyDown:
    case os::kEventFlagsChanged:
      return offerKey(type, event);
    case os::kEventKeyUp:
      return goKeyUp(os::eventGetIntegerValueField(event, os::kKeyboardEventKeycode)) != 0 ? nullptr
                                                                                           : event;
    default:
      return event;
  }
}

}  // namespace vyx
