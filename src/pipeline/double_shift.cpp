#include "pipeline/double_shift.h"

#include "pipeline/key_codes.h"

namespace vyx {

bool doubleShiftDetector::Observe(uint16_t keycode, char32_t ch, int64_t flags, MonoTime now) {
  if (keycode != kKeyLeftShift && keycode != kKeyRightShift) {
    // An event with neither a key code nor a character carries nothing the
    // user did between the taps, so a pending pair survives it.
    if (ch != 0 || keycode != 0) reset();
    return false;
  }
  if (ch != 0) {
    reset();
    return false;
  }
  if ((flags & kFlagShift) != 0) {
    if ((flags & (kFlagControl | kFlagOption | kFlagCommand)) != 0) {
      reset();
    } else {
      shiftDown = true;
    }
    return false;
  }
  if (!shiftDown) return false;
  shiftDown = false;
  if (!lastTap) {
    lastTap = now;
    return false;
  }
  const auto interval = now - *lastTap;
  if (interval >= MonoTime::duration::zero() && interval <= kMaxInterval) {
    lastTap.reset();
    return true;
  }
  // Too slow, or a replayed key from before the first tap: this release
  // starts a new pair.
  lastTap = now;
  return false;
}

void doubleShiftDetector::reset() {
  shiftDown = false;
  lastTap.reset();
}

}  // namespace vyx
