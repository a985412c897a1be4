// The simulated machine below the user interface: events and the window
// server, event taps and run loops, the keyboard, applications and their
// text fields, input sources, the pasteboard, Accessibility and launches.
#pragma once

namespace vyx::os::sim {

struct CoreState {};

}  // namespace vyx::os::sim
