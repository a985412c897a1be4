// The program's face in the menu bar: the application set-up, the status
// item whose one glyph tells the state, its menu rebuilt in full from the
// pair (menu switch, keyboard hook running), and the modal alert every
// message of the shell goes through.
//
// Threads: ensureApp, runNSApp, applyTrayState, rebuildTrayMenu and
// presentTrayAlert on the main thread. updateTrayState, removeTray and
// showTrayMessage from any thread: they only copy their arguments into work
// queued on the main queue and return, so a thread holding a lock may call
// them; called on the main thread, the work runs after the current action.
#pragma once

#include <string>

#include "shell/ui_globals.h"

namespace vyx::ui {

// Installs the menu's five handlers; main thread, before ensureApp.
void setTrayHandlers(TrayHandlers handlers);

// Accessory application with an Edit main menu, the status item showing
// "⚠︎" and the menu for (1, 0). Main thread, once, before runNSApp.
void ensureApp();
// Runs the application's event loop; does not return.
void runNSApp();

void updateTrayState(int enabled, int hookActive);
void applyTrayState(int enabled, int hookActive);
void rebuildTrayMenu(int enabled, int hookActive);
void removeTray();

// Queues presentTrayAlert with copies of both texts; alerts are modal, so a
// second one waits until the first is dismissed.
void showTrayMessage(std::string title, std::string body);
void presentTrayAlert(const std::string& title, const std::string& body);

// The status menu's target and the exceptions table's data source.
[[nodiscard]] std::unique_ptr<os::Target> makeTrayDelegate();

}  // namespace vyx::ui
