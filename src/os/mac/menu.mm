// Menus and items (menu.h): a Menu is an NSMenu kept for the life of the
// process; a MenuItem is borrowed from its menu, which holds it until its
// items are removed.
#include "os/menu.h"

#import <AppKit/AppKit.h>

#include "os/mac/objc_bridge.h"

namespace vyx::os {

namespace {

NSMenu* menuOf(Menu* menu) {
  return mac::objectOf<NSMenu>(menu);
}

NSMenuItem* itemOf(MenuItem* item) {
  return mac::objectOf<NSMenuItem>(item);
}

}  // namespace

Menu* menuCreate(std::string_view title) {
  return mac::retainedHandle<Menu>([[NSMenu alloc] initWithTitle:mac::toNSString(title)]);
}

void menuRemoveAllItems(Menu* menu) {
  [menuOf(menu) removeAllItems];
}

MenuItem* menuAddItem(Menu* menu, std::string_view title, std::string_view action,
                      std::string_view keyEquivalent) {
  SEL selector = action.empty() ? nullptr : NSSelectorFromString(mac::toNSString(action));
  return mac::borrowedHandle<MenuItem>([menuOf(menu)
      addItemWithTitle:mac::toNSString(title)
                action:selector
         keyEquivalent:mac::toNSString(keyEquivalent)]);
}

MenuItem* menuAddSeparator(Menu* menu) {
  NSMenuItem* separator = NSMenuItem.separatorItem;
  [menuOf(menu) addItem:separator];
  return mac::borrowedHandle<MenuItem>(separator);
}

void menuItemSetTarget(MenuItem* item, Target* target) {
  itemOf(item).target = mac::targetObject(target);
}

void menuItemSetEnabled(MenuItem* item, bool enabled) {
  itemOf(item).enabled = enabled;
}

void menuItemSetSubmenu(MenuItem* item, Menu* submenu) {
  itemOf(item).submenu = menuOf(submenu);
}

}  // namespace vyx::os
