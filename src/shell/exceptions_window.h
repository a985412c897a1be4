// The exceptions window: the learned exceptions of the running App's store
// as a two-column table, two fields and a button to add one by hand, and a
// button to remove the selected one. Built on the first "Исключения…", then
// kept; each opening shows a fresh list. Without an App or without a store
// the list is empty, adding fails with a message and removing does nothing.
//
// Threads: main thread only (the TrayDelegate's actions and data source);
// the store guards itself and saves in the background.
#pragma once

#include "os/ui_types.h"

namespace vyx::ui {

// Gives the TrayDelegate the menu item's "exceptionsAction:" and the
// window's two button actions, and makes it the table's data source.
void addExceptionsActions(os::Target& trayDelegate);

}  // namespace vyx::ui
