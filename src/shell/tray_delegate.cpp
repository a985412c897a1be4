// TrayDelegate: the one object behind the status menu and the exceptions
// window. Five actions call the handlers the composition root installed; the
// others belong to the exceptions window.
#include <memory>

#include "shell/exceptions_actions.h"
#include "shell/exceptions_window.h"
#include "shell/tray_ui.h"

namespace vyx::ui {

namespace {

// The handler is looked up when the item is chosen, so handlers installed
// after the menu was built still count.
std::function<void()> callHandler(std::function<void()> TrayHandlers::*handler) {
  return [handler] {
    // A copy: the handler may install others while it runs.
    const std::function<void()> call = shellUi().tray.handlers.*handler;
    if (call) call();
  };
}

}  // namespace

std::unique_ptr<os::Target> makeTrayDelegate() {
  auto delegate = std::make_unique<os::Target>();
  auto& actions = delegate->actions;
  actions["toggleAction:"] = callHandler(&TrayHandlers::goTrayToggle);
  actions["openAccessibilityAction:"] = callHandler(&TrayHandlers::goTrayOpenAccessibility);
  actions["checkPermissionAction:"] = callHandler(&TrayHandlers::goTrayCheckPermission);
  actions["pauseForAppAction:"] = callHandler(&TrayHandlers::goTrayPauseForApp);
  actions["openDictionaryAction:"] = [] { goTrayOpenDictionary(); };
  actions["exceptionsAction:"] = [] { exceptionsAction(); };
  actions["exceptionAddAction:"] = [] { exceptionAddAction(); };
  actions["exceptionRemoveAction:"] = [] { exceptionRemoveAction(); };
  delegate->numberOfRows = [] { return numberOfExceptionRows(); };
  delegate->objectValue = [](std::string_view column, int64_t row) {
    return exceptionObjectValue(column, row);
  };
  actions["quitAction:"] = callHandler(&TrayHandlers::goTrayQuit);
  return delegate;
}

}  // namespace vyx::ui
