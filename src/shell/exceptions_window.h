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
#include <utility>
#include <vector>

namespace vyx::ui {

void exceptionsAction();
void reloadExceptionRows();
void exceptionAddAction();
void exceptionRemoveAction();

// The table's data source.
[[nodiscard]] int64_t numberOfExceptionRows();
[[nodiscard]] std::string exceptionObjectValue(std::string_view columnIdentifier, int64_t row);

// The rows of a list in the transfer format: each line split at its TABs
// becomes a row only when it has exactly two parts.
[[nodiscard]] std::vector<std::pair<std::string, std::string>> parseExceptionRows(
    std::string_view list);

}  // namespace vyx::ui
