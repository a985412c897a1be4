// The status item and its menu: the program's face in the menu bar, whose
// one glyph tells the state, with its menu rebuilt in full from the pair
// (menu switch, keyboard hook running); the application set-up under it;
// and the menu switch, which the pipeline consults before every correction,
// with the handlers the items call.
//
// Threads: setTrayHandlers, ensureApp and runNSApp on the main thread. The handlers run on the main
// thread, synchronously inside the menu's action; they reach the person only through alerts and the
// menu only through updateTrayState. updateTrayState and removeTray from any thread: they only copy
// their arguments into work queued on the main queue and return, so a thread holding a lock may
// call them; called on the main thread, the work runs after the current action. trayEnabledFlag is
// written by the main thread and read by the pipeline's threads.
#pragma once

#include <atomic>
#include <cstdint>

#include "shell/ui_globals.h"

namespace vyx {

// 1: corrections on (every launch starts so), 0: paused. In memory only.
extern std::atomic<int32_t> trayEnabledFlag;

[[nodiscard]] bool isTrayEnabled();

// The five handlers, for ui::setTrayHandlers: the switch, the two
// permission items, not correcting the frontmost application (saved in the
// settings), and quitting, which ends the process with status 0.
[[nodiscard]] ui::TrayHandlers trayHandlers();

}  // namespace vyx

namespace vyx::ui {

// Installs the menu's five handlers; main thread, before ensureApp.
void setTrayHandlers(TrayHandlers handlers);

// Accessory application with an Edit main menu, the status item showing
// "⚠︎" and the menu for (1, 0). Main thread, once, before runNSApp.
void ensureApp();
// Runs the application's event loop; does not return.
void runNSApp();

void updateTrayState(int enabled, int hookActive);
void removeTray();

}  // namespace vyx::ui
