// The general pasteboard (pasteboard.h): the NSPasteboard itself, and each
// item a shared hold on an NSPasteboardItem.
#include "os/pasteboard.h"

#import <AppKit/AppKit.h>

#include "os/mac/objc_bridge.h"

namespace vyx::os {

struct PasteboardItem {
  NSPasteboardItem* item;
};

namespace {

NSPasteboard* board(Pasteboard* pasteboard) {
  return mac::objectOf<NSPasteboard>(pasteboard);
}

PasteboardItemPtr wrap(NSPasteboardItem* item) {
  return std::make_shared<PasteboardItem>(PasteboardItem{item});
}

}  // namespace

// The shared pasteboard object is the system's: never released.
Pasteboard* generalPasteboard() {
  return mac::borrowedHandle<Pasteboard>(NSPasteboard.generalPasteboard);
}

std::vector<PasteboardItemPtr> pasteboardItems(Pasteboard* pasteboard) {
  std::vector<PasteboardItemPtr> items;
  for (NSPasteboardItem* item in board(pasteboard).pasteboardItems) items.push_back(wrap(item));
  return items;
}

int64_t clearContents(Pasteboard* pasteboard) {
  return [board(pasteboard) clearContents];
}

// An item that already belongs to a pasteboard (one read from it, or written
// before) makes the system raise instead of answering: that is a refusal.
bool writeObjects(Pasteboard* pasteboard, const std::vector<PasteboardItemPtr>& items) {
  NSMutableArray<NSPasteboardItem*>* objects = [NSMutableArray arrayWithCapacity:items.size()];
  for (const PasteboardItemPtr& item : items) [objects addObject:item->item];
  @try {
    return [board(pasteboard) writeObjects:objects];
  } @catch (NSException*) {
    return false;
  }
}

std::optional<std::string> stringForType(Pasteboard* pasteboard, std::string_view type) {
  NSString* text = [board(pasteboard) stringForType:mac::toNSString(type)];
  if (text == nil) return std::nullopt;
  return mac::toString(text);
}

bool setStringForType(Pasteboard* pasteboard, std::string_view text, std::string_view type) {
  return [board(pasteboard) setString:mac::toNSString(text) forType:mac::toNSString(type)];
}

PasteboardItemPtr pasteboardItemCreate() {
  return wrap([[NSPasteboardItem alloc] init]);
}

std::vector<std::string> pasteboardItemTypes(const PasteboardItem& item) {
  std::vector<std::string> types;
  for (NSPasteboardType type in item.item.types) types.push_back(mac::toString(type));
  return types;
}

std::optional<Bytes> pasteboardItemDataForType(const PasteboardItem& item, std::string_view type) {
  NSData* data = [item.item dataForType:mac::toNSString(type)];
  if (data == nil) return std::nullopt;
  const auto* bytes = static_cast<const uint8_t*>(data.bytes);
  return Bytes(bytes, bytes + data.length);
}

bool pasteboardItemSetDataForType(PasteboardItem& item, Bytes data, std::string_view type) {
  return [item.item setData:[NSData dataWithBytes:data.data() length:data.size()]
                    forType:mac::toNSString(type)];
}

}  // namespace vyx::os
