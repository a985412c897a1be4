// The input sources a Mac user typically has enabled, as the desktop starts.
#include "os/sim/desktop.h"

namespace vyx::os::sim {

InputSourceInfo usInputSource() {
  return {"com.apple.keylayout.US",         {"en"},       true, true,
          "TISCategoryKeyboardInputSource", KeyLayout::us};
}

InputSourceInfo russianInputSource() {
  return {"com.apple.keylayout.Russian", {"ru"}, true, true, "TISCategoryKeyboardInputSource",
          KeyLayout::russianMac};
}

InputSourceInfo russianPCInputSource() {
  return {"com.apple.keylayout.RussianWin",
          {"ru"},
          true,
          true,
          "TISCategoryKeyboardInputSource",
          KeyLayout::russianPC};
}

InputSourceInfo germanInputSource() {
  return {"com.apple.keylayout.German",     {"de"},           true, true,
          "TISCategoryKeyboardInputSource", KeyLayout::german};
}

}  // namespace vyx::os::sim
