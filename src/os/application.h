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

}  // namespace vyx::os
