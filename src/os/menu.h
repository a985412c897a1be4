// Menus and menu items. An item with an action goes to its target, or to the
// first responder when it has none; items are enabled automatically: an item
// shows enabled when it has a submenu, or an action that its target (or the
// first responder) answers, and when it was not explicitly disabled.
//
// Threads: main thread only. Menus live until the process ends; an item
// belongs to its menu and is gone once removed from it.
#pragma once

#include <string>
#include <string_view>

#include "os/ui_types.h"

namespace vyx::os {

struct Menu;
struct MenuItem;

[[nodiscard]] Menu* menuCreate(std::string_view title);
void menuRemoveAllItems(Menu* menu);
// action is a selector name, empty for none.
MenuItem* menuAddItem(Menu* menu, std::string_view title, std::string_view action,
                      std::string_view keyEquivalent);
MenuItem* menuAddSeparator(Menu* menu);

void menuItemSetTarget(MenuItem* item, Target* target);
void menuItemSetEnabled(MenuItem* item, bool enabled);
void menuItemSetSubmenu(MenuItem* item, Menu* submenu);

}  // namespace vyx::os
