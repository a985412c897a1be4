// The application object: activation policy, main menu, activation and the
// event loop.
//
// Threads: main thread only.
#pragma once

#include <cstdint>

namespace vyx::os {

struct Menu;

enum class ActivationPolicy : uint8_t { regular = 0, accessory = 1, prohibited = 2 };

void applicationSetActivationPolicy(ActivationPolicy policy);
void applicationSetMainMenu(Menu* menu);
void applicationActivateIgnoringOtherApps(bool ignore);
// Runs the event loop on the calling thread, which becomes the main thread;
// returns only when the system shuts the loop down.
void applicationRun();

// What a quit that comes from outside the program runs (logout, restart,
// Activity Monitor's Quit, an AppleScript "quit"): the handler is called on
// the main thread in place of the system's own end of the process (exit(),
// which runs static destructors while other threads still run), and ends the
// process itself. Without one, the system ends it its own way.
using QuitHandler = void (*)();
void applicationSetQuitHandler(QuitHandler handler);

}  // namespace vyx::os
