// The general pasteboard: the pasteboard.h calls and the desktop's control
// of it.
#include "os/pasteboard.h"

#include <algorithm>

#include "os/sim/core_state.h"
#include "os/sim/desktop_impl.h"

namespace vyx::os::sim {

namespace {

Bytes bytesOf(std::string_view text) {
  return {text.begin(), text.end()};
}

void clearLocked(PasteboardState& pasteboard) {
  pasteboard.items.clear();
  ++pasteboard.changeCount;
}

}  // namespace

void addItemLocked(PasteboardState& pasteboard, std::shared_ptr<PasteboardItem> item) {
  item->bound = true;
  pasteboard.items.push_back(std::move(item));
}

void writePlainTextLocked(PasteboardState& pasteboard, std::string_view text) {
  clearLocked(pasteboard);
  auto item = std::make_shared<PasteboardItem>();
  item->entries.emplace_back(kPasteboardTypeString, bytesOf(text));
  addItemLocked(pasteboard, std::move(item));
}

std::optional<std::string> plainTextLocked(const PasteboardState& pasteboard) {
  for (const auto& item : pasteboard.items) {
    if (auto data = pasteboardItemDataForType(*item, kPasteboardTypeString)) {
      return std::string(data->begin(), data->end());
    }
  }
  return std::nullopt;
}

void Desktop::setPasteboard(const std::vector<PasteboardItemContent>& items) {
  const std::lock_guard lock(impl_->core.mu);
  PasteboardState& pb = impl_->core.pasteboard;
  clearLocked(pb);
  for (const auto& info : items) {
    auto item = std::make_shared<PasteboardItem>();
    item->entries = info.types;
    addItemLocked(pb, std::move(item));
  }
}

std::vector<PasteboardItemContent> Desktop::pasteboard() const {
  const std::lock_guard lock(impl_->core.mu);
  std::vector<PasteboardItemContent> out;
  for (const auto& item : impl_->core.pasteboard.items) {
    const std::lock_guard itemLock(item->mu);
    out.push_back({item->entries});
  }
  return out;
}

int64_t Desktop::pasteboardChangeCount() const {
  const std::lock_guard lock(impl_->core.mu);
  return impl_->core.pasteboard.changeCount;
}

}  // namespace vyx::os::sim

namespace vyx::os {

using sim::CoreState;
using sim::currentCore;

Pasteboard* generalPasteboard() {
  CoreState* core = currentCore();
  return core == nullptr ? nullptr : &core->pasteboard.board;
}

std::vector<PasteboardItemPtr> pasteboardItems(Pasteboard* board) {
  CoreState* core = currentCore();
  if (board == nullptr || core == nullptr) return {};
  const std::lock_guard lock(core->mu);
  return core->pasteboard.items;
}

int64_t clearContents(Pasteboard* board) {
  CoreState* core = currentCore();
  if (board == nullptr || core == nullptr) return 0;
  const std::lock_guard lock(core->mu);
  sim::clearLocked(core->pasteboard);
  return core->pasteboard.changeCount;
}

// Nothing is written when one item cannot be: a null one, or one that
// already belongs to the pasteboard.
bool writeObjects(Pasteboard* board, const std::vector<PasteboardItemPtr>& items) {
  CoreState* core = currentCore();
  if (board == nullptr || core == nullptr) return false;
  const std::lock_guard lock(core->mu);
  if (std::any_of(items.begin(), items.end(), [](const auto& i) { return !i || i->bound; })) {
    return false;
  }
  for (const PasteboardItemPtr& item : items) sim::addItemLocked(core->pasteboard, item);
  return true;
}

std::optional<std::string> stringForType(Pasteboard* board, std::string_view type) {
  CoreState* core = currentCore();
  if (board == nullptr || core == nullptr) return std::nullopt;
  const std::lock_guard lock(core->mu);
  for (const auto& item : core->pasteboard.items) {
    if (auto data = pasteboardItemDataForType(*item, type)) {
      return std::string(data->begin(), data->end());
    }
  }
  return std::nullopt;
}

// On an empty pasteboard the string becomes its one item; otherwise it is
// added to the first item, as AppKit does after clearContents and a write.
bool setStringForType(Pasteboard* board, std::string_view text, std::string_view type) {
  CoreState* core = currentCore();
  if (board == nullptr || core == nullptr) return false;
  const std::lock_guard lock(core->mu);
  auto& items = core->pasteboard.items;
  if (items.empty()) sim::addItemLocked(core->pasteboard, pasteboardItemCreate());
  return pasteboardItemSetDataForType(*items.front(), sim::bytesOf(text), type);
}

PasteboardItemPtr pasteboardItemCreate() {
  return std::make_shared<PasteboardItem>();
}

std::vector<std::string> pasteboardItemTypes(const PasteboardItem& item) {
  const std::lock_guard lock(item.mu);
  std::vector<std::string> types;
  for (const auto& [type, data] : item.entries) types.push_back(type);
  return types;
}

std::optional<Bytes> pasteboardItemDataForType(const PasteboardItem& item, std::string_view type) {
  const std::lock_guard lock(item.mu);
  for (const auto& [t, data] : item.entries) {
    if (t == type) return data;
  }
  return std::nullopt;
}

bool pasteboardItemSetDataForType(PasteboardItem& item, Bytes data, std::string_view type) {
  const std::lock_guard lock(item.mu);
  for (auto& [t, d] : item.entries) {
    if (t == type) {
      d = std::move(data);
      return true;
    }
  }
  item.entries.emplace_back(std::string(type), std::move(data));
  return true;
}

}  // namespace vyx::os
