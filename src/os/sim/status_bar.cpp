// The status item (status_bar.h).
#include "os/status_bar.h"
#include "os/sim/ui_state.h"

namespace vyx::os {

using sim::checked;
using sim::uiState;

StatusItem* statusBarCreateItem(double length) {
  auto& ui = uiState("statusBarCreateItem");
  StatusItem* item = ui.make(ui.statusItems);
  item->length = length;
  return item;
}

void statusBarRemoveItem(StatusItem* item) {
  sim::use(item, "statusBarRemoveItem").removed = true;
}

void statusItemSetTitle(StatusItem* item, std::string_view title) {
  sim::use(item, "statusItemSetTitle").title = std::string(title);
}

void statusItemSetFont(StatusItem* item, const Font& font) {
  sim::use(item, "statusItemSetFont").font = font;
}

void statusItemSetMenu(StatusItem* item, Menu* menu) {
  auto& ui = uiState("statusItemSetMenu");
  StatusItem& s = checked(ui, item, "statusItemSetMenu");
  s.menu = menu == nullptr ? nullptr : &checked(ui, menu, "statusItemSetMenu");
}

}  // namespace vyx::os
