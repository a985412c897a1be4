// The status item (status_bar.h): an NSStatusItem of the system status bar,
// held until it is removed; title and font go through its button.
#include "os/status_bar.h"

#import <AppKit/AppKit.h>

#include "os/mac/objc_bridge.h"

namespace vyx::os {

namespace {

NSStatusItem* statusItemOf(StatusItem* item) {
  return mac::objectOf<NSStatusItem>(item);
}

}  // namespace

// The status bar shows an item only while someone holds it.
StatusItem* statusBarCreateItem(double length) {
  return mac::retainedHandle<StatusItem>([NSStatusBar.systemStatusBar statusItemWithLength:length]);
}

void statusBarRemoveItem(StatusItem* item) {
  NSStatusItem* statusItem = (__bridge_transfer NSStatusItem*)static_cast<void*>(item);
  [NSStatusBar.systemStatusBar removeStatusItem:statusItem];
}

void statusItemSetTitle(StatusItem* item, std::string_view title) {
  statusItemOf(item).button.title = mac::toNSString(title);
}

void statusItemSetFont(StatusItem* item, const Font& font) {
  statusItemOf(item).button.font = mac::toNSFont(font);
}

void statusItemSetMenu(StatusItem* item, Menu* menu) {
  statusItemOf(item).menu = mac::objectOf<NSMenu>(menu);
}

}  // namespace vyx::os
