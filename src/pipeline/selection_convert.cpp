#include "pipeline/selection_convert.h"

#include <mutex>

#include "log/logger.h"
#include "pipeline/app.h"
#include "pipeline/convert_by_script.h"

namespace vyx {

namespace {

using std::chrono::milliseconds;

// Whether Command+C or Command+V would still reach the application the
// hotkey was pressed in; another one's selection is not ours to copy or
// paste over.
bool stillInFront(const SelectionOps& ops, const std::string& app) {
  if (app.empty() || ops.frontmostApp() == app) return true;
  logLine("Manual convert stopped: another application came to the front");
  return false;
}

// Copies the selection, pastes its conversion over it and selects the
// layout of the result; the caller puts the pasteboard back.
void convertThroughPasteboard(const SelectionOps& ops, const std::string& app) {
  // Whatever a copy that yields nothing leaves, it must not be the user's
  // old pasteboard text, which would then be pasted over the selection.
  ops.writeClipboard("");
  ops.pause(milliseconds(30));
  if (!stillInFront(ops, app)) return;
  ops.sendCmdC();
  ops.pause(milliseconds(100));  // the application copies in its own time
  const std::string copied = ops.readClipboard();
  if (copied.empty()) {
    logLine("Manual convert: no selection detected");
    return;
  }
  const bool russian = hasRussianLetter(copied);
  const std::string converted = convertByScript(copied);
  ops.writeClipboard(converted);
  ops.pause(milliseconds(30));
  if (!stillInFront(ops, app)) return;
  ops.sendCmdV();
  ops.pause(milliseconds(150));  // and pastes in its own time
  ops.switchLayout(russian ? 0 : 1);
  ops.pause(milliseconds(30));
  vlog("Manual convert: %q → %q", copied, converted);
}

}  // namespace

void convertSelectedText(const SelectionOps& ops, Detector& /*detector*/, const std::string& app) {
  // Released in the reverse order: the pasteboard first, then injecting,
  // then replaceMu.
  const std::lock_guard replaceLock(replaceMu);
  const InjectingScope injectingScope;
  PasteboardSnapshotPtr snapshot = ops.savePasteboard();
  try {
    convertThroughPasteboard(ops, app);
  } catch (...) {
    ops.restorePasteboard(std::move(snapshot));
    throw;
  }
  ops.restorePasteboard(std::move(snapshot));
}

}  // namespace vyx
