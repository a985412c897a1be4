// The simulated user interface: application object, menus, status item,
// alerts, windows and views. Touched on the main thread only.
#pragma once

namespace vyx::os::sim {

struct UiState {};

}  // namespace vyx::os::sim
