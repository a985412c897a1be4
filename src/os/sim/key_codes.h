// Virtual key codes of a Mac's ANSI keyboard that the simulation names. They
// are the simulation's own, written from the keyboard and never taken from
// the program's key codes (pipeline/key_codes.h), so that a wrong code on the
// program's side shows as a wrong key end to end instead of agreeing with
// itself.
#pragma once

#include <cstdint>

namespace vyx::os::sim::key {

inline constexpr uint16_t kA = 0;
inline constexpr uint16_t kZ = 6;
inline constexpr uint16_t kX = 7;
inline constexpr uint16_t kC = 8;
inline constexpr uint16_t kV = 9;
inline constexpr uint16_t kReturn = 36;
inline constexpr uint16_t kTab = 48;
inline constexpr uint16_t kSpace = 49;
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
