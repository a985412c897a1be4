// The input sources a Mac user typically has enabled, as the desktop starts.
#include "os/sim/desktop.h"

namespace vyx::os::sim {

InputSourceSpec usInputSource() {
  return {"com.apple.keylayout.US",         {"en"},       true, true,
          "TISCategoryKeyboardInputSource", KeyLayout::us};
}

InputSourceSpec russianInputSource() {
  return {"com.apple.keylayout.Russian", {"ru"}, true, true, "TISCategoryKeyboardInputSource",
          KeyLayout::russianMac};
}

InputSourceSpec russianPCInputSource() {
  return {"com.apple.keylayout.RussianWin",
          {"ru"},
          true,
          true,
          "TISCategoryKeyboardInputSource",
          KeyLayout::russianPC};
}

InputSourceSpec germanInputSource() {
  return {"com.apple.keylayout.German",     {"de"},           true, true,
          "TISCategoryKeyboardInputSource", KeyLayout::german};
}

}  // namespace vyx::os::sim
