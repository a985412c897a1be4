// The program's one home for macOS virtual key codes, Quartz event flags and
// mouse event types as the event tap reports them, and for the other named
// constants that the pipeline and the bridge share. The pipeline cannot see
// the platform seam's names for the flags and event types; the bridge checks
// that these agree with them. The simulated desktop keeps its own key tables
// (os/sim/key_codes.h) on purpose.
#pragma once

#include <cstdint>

namespace vyx {

inline constexpr int64_t kFlagCapsLock = 0x10000;
inline constexpr int64_t kFlagShift = 0x20000;
inline constexpr int64_t kFlagControl = 0x40000;
inline constexpr int64_t kFlagOption = 0x80000;
inline constexpr int64_t kFlagCommand = 0x100000;

inline constexpr uint16_t kKeyZ = 6;
inline constexpr uint16_t kKeyX = 7;
inline constexpr uint16_t kKeyC = 8;
inline constexpr uint16_t kKeyV = 9;
inline constexpr uint16_t kKeyRightBracket = 30;  // ] and }, Ъ on the Russian layout
inline constexpr uint16_t kKeyLeftBracket = 33;   // [ and {, Х
inline constexpr uint16_t kKeyReturn = 36;
inline constexpr uint16_t kKeyQuote = 39;      // ' and ", Э
inline constexpr uint16_t kKeySemicolon = 41;  // ; and :, Ж
inline constexpr uint16_t kKeyBackslash = 42;  // \ and |, Ё
inline constexpr uint16_t kKeyComma = 43;      // , and <, Б
inline constexpr uint16_t kKeyPeriod = 47;     // . and >, Ю
inline constexpr uint16_t kKeyTab = 48;
inline constexpr uint16_t kKeySpace = 49;
inline constexpr uint16_t kKeyGrave = 50;  // ` and ~
inline constexpr uint16_t kKeyBackspace = 51;
inline constexpr uint16_t kKeyEscape = 53;
inline constexpr uint16_t kKeyRightCommand = 54;
inline constexpr uint16_t kKeyLeftShift = 56;
inline constexpr uint16_t kKeyRightShift = 60;
inline constexpr uint16_t kKeyFunction = 63;
inline constexpr uint16_t kKeyKeypadEnter = 76;
inline constexpr uint16_t kKeyHome = 115;
inline constexpr uint16_t kKeyPageUp = 116;
inline constexpr uint16_t kKeyEnd = 119;
inline constexpr uint16_t kKeyPageDown = 121;
inline constexpr uint16_t kKeyLeftArrow = 123;
inline constexpr uint16_t kKeyRightArrow = 124;
inline constexpr uint16_t kKeyDownArrow = 125;
inline constexpr uint16_t kKeyUpArrow = 126;

// Command, Shift, Caps Lock, Option, Control, Function and their right-hand twins.
[[nodiscard]] constexpr bool isModifierKey(uint16_t keycode) {
  return keycode >= kKeyRightCommand && keycode <= kKeyFunction;
}

inline constexpr int64_t kMouseLeftDown = 1;
inline constexpr int64_t kMouseRightDown = 3;
inline constexpr int64_t kMouseOtherDown = 25;

[[nodiscard]] constexpr bool isMousePress(int64_t eventType) {
  return eventType == kMouseLeftDown || eventType == kMouseRightDown ||
         eventType == kMouseOtherDown;
}

// The boundary a correction records for the Return or Enter key it swallowed;
// that key is typed again by its key code and flags.
inline constexpr char32_t kEnterBoundary = U'\n';
// The character of a Return typed again, which carries no text.
inline constexpr char16_t kReturnChar = u'\r';

// The program's own bundle identifier: never corrected. The simulated
// desktop and the Mac bundle's Info.plist take it from here.
inline constexpr const char* kOwnBundleID = "com.telvarinox.vyx";

}  // namespace vyx
