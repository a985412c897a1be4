// The general pasteboard: a full snapshot and its restoration, and plain
// text read and write, for the selection conversion.
//
// Threads: the replacement worker only, inside the selection conversion.
// Each operation runs inside its own autorelease pool.
#pragma once

#include <optional>
#include <string>

#include "pipeline/selection_convert.h"

namespace vyx {

// Every item of the pasteboard, in order, each with every type that had
// data; an item without any stays as an empty item.
[[nodiscard]] PasteboardSnapshotPtr savePasteboard();
// Clears the pasteboard and writes the snapshot's items back, if it has
// any (a null snapshot has none); the snapshot is consumed.
void restorePasteboard(PasteboardSnapshotPtr snapshot);

// The pasteboard's plain text, none when it holds no string; the tests tell
// that from an empty text through it.
[[nodiscard]] std::optional<std::string> readClipboardString();
// The plain text, "" when there is none.
[[nodiscard]] std::string readClipboard();
// Replaces the pasteboard's contents with the text, which ends at its first
// NUL; text that is not valid UTF-8 leaves the pasteboard empty.
void writeClipboard(const std::string& text);

}  // namespace vyx
