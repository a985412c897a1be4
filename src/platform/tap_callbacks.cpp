#include "platform/tap_callbacks.h"

#include "log/logger.h"
#include "log/metrics.h"
#include "pipeline/app.h"
#include "platform/event_tap.h"
#include "platform/panic.h"

namespace vyx {

namespace {

void recordTapDisabled(int64_t reason, bool keyPassed, bool reenabled) {
  // A tap left off is no re-enable: the hook's stop says what happened.
  if (reenabled) {
    const uint64_t total = metricTapTimeouts.fetch_add(1) + 1;
    logf("event tap re-enabled (%s), total=%d", reason == 1 ? "timeout" : "user input", total);
  }
  if (App* app = getTrayApp()) {
    if (keyPassed) app->lastKeyReachedApplication();
    app->keysWentByUnseen(!app->buffer().CurrentWord().empty());
  }
}

void vyxSetMouseGate(int32_t on) {
  mouseGateFlag.store(on != 0 ? 1 : 0);
}

}  // namespace

int32_t goKeyCallback(int64_t keycode, char16_t ch, uint64_t flags, int64_t userData,
                      std::u16string_view text) noexcept {
  try {
    if (userData == syntheticEventMarker) return 0;
    const KeyHandler& handler = keyHandler();
    if (!handler) return 0;
    return handler(static_cast<uint16_t>(keycode), static_cast<char32_t>(ch),
                   static_cast<int64_t>(flags), text)
               ? 1
               : 0;
  } catch (...) {
    logPanic("goKeyCallback", true);
    return 0;
  }
}

int32_t goKeyUp(int64_t keycode) noexcept {
  try {
    App* app = getTrayApp();
    if (app == nullptr) return 0;
    return app->onKeyUp(static_cast<uint16_t>(keycode)) ? 1 : 0;
  } catch (...) {
    logPanic("goKeyUp", false);
    return 0;
  }
}

int32_t goMouseEvent(uint64_t token, int64_t type) noexcept {
  try {
    App* app = getTrayApp();
    if (app == nullptr) return 0;
    return app->onMouseEvent(token, type) ? 1 : 0;
  } catch (...) {
    logPanic("goMouseEvent", false);
    return 0;
  }
}

void goTapDisabled(int64_t reason, bool keyPassed, bool reenabled) noexcept {
  try {
    recordTapDisabled(reason, keyPassed, reenabled);
  } catch (...) {
    logPanic("goTapDisabled", false);
  }
}

void setMouseGateState(bool on) {
  vyxSetMouseGate(on ? 1 : 0);
}

}  // namespace vyx
