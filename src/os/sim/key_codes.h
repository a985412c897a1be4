// Virtual key codes of a Mac's ANSI keyboard that the simulation names. They
// are the simulation's own, written from the keyboard and never taken from
// the program's key codes (pipeline/key_codes.h), so that a wrong code on the
// program's side shows as a wrong key end to end instead of agreeing with
// itself.
#pragma once

#include <cstdint>

namespace vyx::os::sim::key {

inline constexpr uint16_t kA = 0;
inline constexpr uint16_t kS = 1;
inline constexpr uint16_t kD = 2;
inline constexpr uint16_t kZ = 6;
inline constexpr uint16_t kX = 7;
inline constexpr uint16_t kC = 8;
inline constexpr uint16_t kV = 9;
inline constexpr uint16_t kQ = 12;
inline constexpr uint16_t kY = 16;
inline constexpr uint16_t k1 = 18;
inline constexpr uint16_t k2 = 19;
inline constexpr uint16_t k3 = 20;
inline constexpr uint16_t k4 = 21;
inline constexpr uint16_t k6 = 22;
inline constexpr uint16_t k5 = 23;
inline constexpr uint16_t k7 = 26;
inline constexpr uint16_t kMinus = 27;
inline constexpr uint16_t k8 = 28;
inline constexpr uint16_t kReturn = 36;
inline constexpr uint16_t kSemicolon = 41;
inline constexpr uint16_t kBackslash = 42;
inline constexpr uint16_t kComma = 43;
inline constexpr uint16_t kSlash = 44;
inline constexpr uint16_t kPeriod = 47;
inline constexpr uint16_t kTab = 48;
inline constexpr uint16_t kSpace = 49;
inline constexpr uint16_t kGrave = 50;
inline constexpr uint16_t kBackspace = 51;
inline constexpr uint16_t kEscape = 53;
inline constexpr uint16_t kRightCommand = 54;
inline constexpr uint16_t kCommand = 55;
inline constexpr uint16_t kShift = 56;
inline constexpr uint16_t kCapsLock = 57;
inline constexpr uint16_t kOption = 58;
inline constexpr uint16_t kControl = 59;
inline constexpr uint16_t kRightShift = 60;
inline constexpr uint16_t kRightOption = 61;
inline constexpr uint16_t kRightControl = 62;
inline constexpr uint16_t kFn = 63;
inline constexpr uint16_t kKeypadEnter = 76;
inline constexpr uint16_t kKeypad5 = 87;
inline constexpr uint16_t kHome = 115;
inline constexpr uint16_t kPageUp = 116;
inline constexpr uint16_t kForwardDelete = 117;
inline constexpr uint16_t kEnd = 119;
inline constexpr uint16_t kPageDown = 121;
inline constexpr uint16_t kF1 = 122;
inline constexpr uint16_t kLeft = 123;
inline constexpr uint16_t kRight = 124;
inline constexpr uint16_t kDown = 125;
inline constexpr uint16_t kUp = 126;

}  // namespace vyx::os::sim::key
