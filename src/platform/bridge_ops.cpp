#include "platform/bridge_ops.h"

#include "platform/accessibility.h"
#include "platform/frontmost.h"
#include "platform/input_source.h"
#include "platform/pasteboard.h"
#include "platform/synthetic_input.h"
#include "platform/tap_callbacks.h"

namespace vyx {

SelectionOps bridgeSelectionOps() {
  SelectionOps ops;
  ops.savePasteboard = savePasteboard;
  ops.restorePasteboard = restorePasteboard;
  ops.readClipboard = readClipboard;
  ops.writeClipboard = writeClipboard;
  ops.sendCmdC = sendCmdC;
  ops.sendCmdV = sendCmdV;
  ops.switchLayout = switchLayout;
  ops.frontmostApp = FrontmostAppIDNow;
  ops.pause = sleepPause;
  return ops;
}

AppOps bridgeAppOps() {
  AppOps ops;
  ops.replaceText = [](int64_t count, const std::string& text, const std::string& app) {
    return replaceText(count, text, app);
  };
  ops.sendChar = sendChar;
  ops.sendEnter = sendEnter;
  ops.postKey = postKeyEvent;
  ops.postMouse = postMouseEvent;
  ops.releaseMouse = releaseMouseEvent;
  ops.mouseGate = setMouseGateState;
  ops.frontmostApp = FrontmostAppID;
  ops.frontmostAppNow = FrontmostAppIDNow;
  ops.tapCaughtUp = tapCaughtUp;
  ops.inputAccess = inputAccessHeld;
  ops.keyLayout = currentKeyLayout;
  ops.convertSel = [selection = bridgeSelectionOps()](Detector& detector, const std::string& app) {
    convertSelectedText(selection, detector, app);
  };
  return ops;
}

}  // namespace vyx
