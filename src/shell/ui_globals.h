// The platform side of the shell keeps its user-interface objects in
// process-wide variables: the status item and its menu, the exceptions
// window, the onboarding window, and the objects that receive their actions.
//
// Threads: main thread only, so no lock. Other threads reach this state only
// through work queued with os::dispatchAsyncMain. resetShellUi runs on the
// main thread of a fresh desktop, before anything here is used on it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "os/menu.h"
#include "os/status_bar.h"
#include "os/timer.h"
#include "os/ui_types.h"
#include "os/views.h"
#include "os/window.h"

namespace vyx::ui {

// The five menu handlers that the composition root installs; an empty one
// makes its item do nothing.
struct TrayHandlers {
  std::function<void()> goTrayToggle;
  std::function<void()> goTrayOpenAccessibility;
  std::function<void()> goTrayCheckPermission;
  std::function<void()> goTrayPauseForApp;
  std::function<void()> goTrayQuit;
};

struct TrayUi {
  os::StatusItem* statusItem = nullptr;  // null before ensureApp and after removeTray
  os::Menu* trayMenu = nullptr;
  // "Памятка": its text never changes, so one menu serves every rebuild
  // (menus live as long as the process); the item of the last rebuild holds it.
  os::Menu* memoMenu = nullptr;
  os::MenuItem* memoItem = nullptr;
  std::unique_ptr<os::Target> trayDelegate;
  TrayHandlers handlers;
};

struct ExceptionsUi {
  os::Window* exceptionsWindow = nullptr;
  os::View* exceptionsTable = nullptr;
  os::View* appField = nullptr;
  os::View* wordField = nullptr;
  std::vector<std::pair<std::string, std::string>> exceptionRows;  // (application, word) as stored
};

struct OnboardingUi {
  os::Window* onboardingWindow = nullptr;
  std::unique_ptr<os::Target> onboardingDelegate;
  os::Timer* demoTimer = nullptr;
  int64_t demoTick = 0;
  os::View* iconLabel = nullptr;
  os::View* titleLabel = nullptr;
  os::View* demoBox = nullptr;
  os::View* demoTypedLabel = nullptr;
  os::View* demoArrowLabel = nullptr;
  os::View* demoResultLabel = nullptr;
  os::View* bodyLabel = nullptr;
  os::View* separatorView = nullptr;
  os::View* footnoteLabel = nullptr;
  os::View* primaryButton = nullptr;
};

struct ShellUi {
  TrayUi tray;
  ExceptionsUi exceptions;
  OnboardingUi onboarding;
};

[[nodiscard]] ShellUi& shellUi();

// Forgets every object: the desktop they belonged to is gone. For programs
// that make more than one desktop in a process (tests, the drawing tool).
void resetShellUi();

}  // namespace vyx::ui
