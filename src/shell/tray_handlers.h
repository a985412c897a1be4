// The program's side of the status menu: the menu switch that the pipeline
// consults before every correction, and the five handlers its items call.
//
// Threads: the handlers run on the main thread, synchronously inside the
// menu's action; they reach the person only through alerts and the menu
// only through updateTrayState. trayEnabledFlag is written by the main
// thread and read by the pipeline's threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "log/error.h"
#include "shell/ui_globals.h"

namespace vyx {

class App;

// 1: corrections on (every launch starts so), 0: paused. In memory only.
extern std::atomic<int32_t> trayEnabledFlag;

[[nodiscard]] bool isTrayEnabled();

struct PausedApp {
  std::string bundleID;
  bool added = false;          // false: an entry already covered it
  std::optional<Error> error;  // the exclusion still holds in memory after a failed save
};

// Excludes the frontmost application in the App's settings and saves them,
// whether or not it was newly added. An unknown application and the program
// itself are refused, and nothing is written.
[[nodiscard]] PausedApp pauseFrontmostApp(App* app);

void goTrayToggle();
void goTrayOpenAccessibility();
void goTrayCheckPermission();
void goTrayPauseForApp();
// Does not return: the process ends with status 0.
[[noreturn]] void goTrayQuit();

// The five handlers, for ui::setTrayHandlers.
[[nodiscard]] ui::TrayHandlers trayHandlers();

}  // namespace vyx
