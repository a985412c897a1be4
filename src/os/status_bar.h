// The system status bar and the program's status item in it.
//
// Threads: main thread only.
#pragma once

#include <string_view>

#include "os/ui_types.h"

namespace vyx::os {

struct Menu;
struct StatusItem;

inline constexpr double kVariableStatusItemLength = -1.0;

[[nodiscard]] StatusItem* statusBarCreateItem(double length);
void statusBarRemoveItem(StatusItem* item);
void statusItemSetTitle(StatusItem* item, std::string_view title);
void statusItemSetFont(StatusItem* item, const Font& font);
void statusItemSetMenu(StatusItem* item, Menu* menu);

}  // namespace vyx::os
