// Cmd+Shift+X: the text selected in the frontmost application, converted to
// the other keyboard layout through the general pasteboard, which is given
// back to the user afterwards whatever happens on the way.
//
// Threads: the replacement worker only, one conversion at a time. It holds
// replaceMu from start to end and takes no other lock of the pipeline.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "detect/detector.h"

namespace vyx {

// Everything the pasteboard held, owned by whoever took it. Only the bridge
// that took it can put it back, and putting it back consumes it.
class PasteboardSnapshot {
 public:
  PasteboardSnapshot() = default;
  virtual ~PasteboardSnapshot() = default;
  PasteboardSnapshot(const PasteboardSnapshot&) = delete;
  PasteboardSnapshot& operator=(const PasteboardSnapshot&) = delete;
};
using PasteboardSnapshotPtr = std::unique_ptr<PasteboardSnapshot>;

// A pause of the calling thread: a real sleep in the running program.
using Pause = std::function<void(std::chrono::milliseconds)>;

// The bridge's operations the conversion calls; every one must be set.
struct SelectionOps {
  std::function<PasteboardSnapshotPtr()> savePasteboard;
  std::function<void(PasteboardSnapshotPtr)> restorePasteboard;
  std::function<std::string()> readClipboard;  // "" when there is no text
  std::function<void(const std::string& text)> writeClipboard;
  std::function<void()> sendCmdC;
  std::function<void()> sendCmdV;
  std::function<void(int32_t toRussian)> switchLayout;
  // The application keys reach this very moment, "" for none.
  std::function<std::string()> frontmostApp;
  Pause pause;
};

// Converts the selection of app (the application the hotkey was pressed in;
// "" for whichever is in front) and selects the input source of the result.
// The detector is not consulted: the copied text's own script decides. When
// app is no longer in front before the copy or before the paste, it stops
// there. A failure on the way propagates to the worker after the pasteboard
// is put back.
void convertSelectedText(const SelectionOps& ops, Detector& detector, const std::string& app);

}  // namespace vyx
