#include "platform/pasteboard.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "os/handle.h"
#include "os/pasteboard.h"
#include "store/utf8_valid.h"

namespace vyx {

namespace {

struct SavedPasteboard final : PasteboardSnapshot {
  std::vector<os::PasteboardItemPtr> items;
};

void writeClipboardString(const char* text) {
  const os::AutoreleasePool pool;
  os::Pasteboard* board = os::generalPasteboard();
  (void)os::clearContents(board);
  const std::string_view s = text == nullptr ? std::string_view() : std::string_view(text);
  if (isValidUtf8(s)) (void)os::setStringForType(board, s, os::kPasteboardTypeString);
}

}  // namespace

PasteboardSnapshotPtr savePasteboard() {
  const os::AutoreleasePool pool;
  auto snapshot = std::make_unique<SavedPasteboard>();
  for (const os::PasteboardItemPtr& item : os::pasteboardItems(os::generalPasteboard())) {
    os::PasteboardItemPtr copy = os::pasteboardItemCreate();
    for (const std::string& type : os::pasteboardItemTypes(*item)) {
      if (auto data = os::pasteboardItemDataForType(*item, type)) {
        (void)os::pasteboardItemSetDataForType(*copy, std::move(*data), type);
      }
    }
    snapshot->items.push_back(std::move(copy));
  }
  return snapshot;
}

void restorePasteboard(PasteboardSnapshotPtr snapshot) {
  const os::AutoreleasePool pool;
  os::Pasteboard* board = os::generalPasteboard();
  (void)os::clearContents(board);
  // A snapshot some other code took is no pasteboard of ours: nothing to write.
  const auto* saved = dynamic_cast<const SavedPasteboard*>(snapshot.get());
  if (saved != nullptr && !saved->items.empty()) (void)os::writeObjects(board, saved->items);
}

std::optional<std::string> readClipboardString() {
  const os::AutoreleasePool pool;
  return os::stringForType(os::generalPasteboard(), os::kPasteboardTypeString);
}

std::string readClipboard() {
  return readClipboardString().value_or(std::string());
}

void writeClipboard(const std::string& text) {
  writeClipboardString(text.c_str());
}

}  // namespace vyx
