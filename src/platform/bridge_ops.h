// The bridge's side of the App's output operations, for the shell's newApp
// call: everything but trayEnabled, which the menu's switch supplies.
#pragma once

#include "pipeline/app.h"
#include "pipeline/selection_convert.h"

namespace vyx {

// The pasteboard, key-press, input-source and pause operations of the
// selection conversion, with real pauses; the tests replace single ones.
[[nodiscard]] SelectionOps bridgeSelectionOps();

// replaceText, sendChar, sendEnter, postKey, postMouse, releaseMouse,
// mouseGate, frontmostApp, frontmostAppNow, keyLayout and convertSel; trayEnabled is
// left empty.
[[nodiscard]] AppOps bridgeAppOps();

}  // namespace vyx
