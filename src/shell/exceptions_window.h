// The exceptions window: the learned exceptions as a two-column table, two
// fields and a button to add one by hand, and a button to remove the
// selected one. Built on the first "Исключения…", then kept; each opening
// shows a fresh list.
//
// Threads: main thread only (the TrayDelegate's actions and data source).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vyx::ui {

void exceptionsAction();
void reloadExceptionRows();
void exceptionAddAction();
void exceptionRemoveAction();

// The table's data source. A cell shows control characters escaped, so that
// "ghbdtn\nvbh" is not taken for a second "ghbdtn".
[[nodiscard]] int64_t numberOfExceptionRows();
[[nodiscard]] std::string exceptionObjectValue(std::string_view columnIdentifier, int64_t row);

}  // namespace vyx::ui
