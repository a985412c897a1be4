// The bits a Mac sets in an event's flags beside a modifier's mask to tell
// the left-hand key from the right-hand one. The tests' own copy, so that a
// wrong bit in the simulated keyboard shows.
#pragma once

#include "os/events.h"

namespace vyx::testing {

inline constexpr os::EventFlags kLeftControlBit = 0x1;
inline constexpr os::EventFlags kLeftShiftBit = 0x2;
inline constexpr os::EventFlags kRightShiftBit = 0x4;
inline constexpr os::EventFlags kLeftCommandBit = 0x8;
inline constexpr os::EventFlags kRightOptionBit = 0x40;

}  // namespace vyx::testing
