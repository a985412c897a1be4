// Menus and menu items (menu.h).
#include "os/menu.h"
#include "os/sim/ui_state.h"

namespace vyx::os {

using sim::checked;
using sim::uiFault;
using sim::uiState;

Menu* menuCreate(std::string_view title) {
  auto& ui = uiState("menuCreate");
  Menu* menu = ui.make(ui.menus);
  menu->title = std::string(title);
  return menu;
}

void menuRemoveAllItems(Menu* menu) {
  auto& ui = uiState("menuRemoveAllItems");
  Menu& m = checked(ui, menu, "menuRemoveAllItems");
  // The items live on, detached; their submenus stay theirs.
  for (MenuItem* item : m.items) item->menu = nullptr;
  m.items.clear();
}

namespace {

MenuItem* addItem(const char* operation, Menu* menu) {
  auto& ui = uiState(operation);
  Menu& m = checked(ui, menu, operation);
  MenuItem* item = ui.make(ui.menuItems);
  item->menu = &m;
  m.items.push_back(item);
  return item;
}

}  // namespace

MenuItem* menuAddItem(Menu* menu, std::string_view title, std::string_view action,
                      std::string_view keyEquivalent) {
  MenuItem* item = addItem("menuAddItem", menu);
  item->title = std::string(title);
  item->action = std::string(action);
  item->keyEquivalent = std::string(keyEquivalent);
  return item;
}

MenuItem* menuAddSeparator(Menu* menu) {
  MenuItem* item = addItem("menuAddSeparator", menu);
  item->separator = true;
  return item;
}

void menuItemSetTarget(MenuItem* item, Target* target) {
  sim::use(item, "menuItemSetTarget").target = target;
}

void menuItemSetEnabled(MenuItem* item, bool enabled) {
  sim::use(item, "menuItemSetEnabled").enabled = enabled;
}

void menuItemSetSubmenu(MenuItem* item, Menu* submenu) {
  constexpr const char* op = "menuItemSetSubmenu";
  auto& ui = uiState(op);
  MenuItem& it = checked(ui, item, op);
  if (it.submenu != nullptr) it.submenu->supermenuItem = nullptr;
  it.submenu = nullptr;
  if (submenu == nullptr) return;
  Menu& sub = checked(ui, submenu, op);
  // As AppKit does, a menu is the submenu of one item at most, and a menu
  // cannot open itself further down.
  if (sub.supermenuItem != nullptr) uiFault(op, "the menu is already another item's submenu");
  for (const Menu* m = it.menu; m != nullptr;
       m = m->supermenuItem == nullptr ? nullptr : m->supermenuItem->menu) {
    if (m == &sub) uiFault(op, "the submenu would contain itself");
  }
  sub.supermenuItem = &it;
  it.submenu = &sub;
}

}  // namespace vyx::os
