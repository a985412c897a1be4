// The general pasteboard of the simulated desktop.
//
// Threads: PasteboardState is guarded by CoreState::mu; each item has its
// own lock (a leaf, taken inside CoreState::mu or alone), because the
// program builds items before it writes them.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "os/pasteboard.h"

namespace vyx::os {

struct Pasteboard {};

struct PasteboardItem {
  mutable std::mutex mu;
  // Types in order; an offered type may have no data.
  std::vector<std::pair<std::string, std::optional<Bytes>>> entries;
  // Once on the pasteboard, an item is the pasteboard's: it cannot be
  // written again (AppKit raises). Guarded by CoreState::mu.
  bool bound = false;
};

}  // namespace vyx::os

namespace vyx::os::sim {

struct PasteboardState {
  Pasteboard board;
  std::vector<PasteboardItemPtr> items;
  int64_t changeCount = 0;
};

// What a text field's copy does: clears the pasteboard and writes one item
// of plain text.
void writePlainTextLocked(PasteboardState& pasteboard, std::string_view text);
// Puts a new item on the pasteboard, which it then belongs to.
void addItemLocked(PasteboardState& pasteboard, std::shared_ptr<PasteboardItem> item);
// The plain text of the first item that has one.
[[nodiscard]] std::optional<std::string> plainTextLocked(const PasteboardState& pasteboard);

}  // namespace vyx::os::sim
