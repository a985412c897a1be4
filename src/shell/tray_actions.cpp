#include "shell/tray_actions.h"

#include <string>

#include "os/launch.h"
#include "shell/tray_ui.h"

namespace vyx {

void showTrayMessage(std::string_view title, std::string_view body) {
  ui::showTrayMessage(std::string(title), std::string(body));
}

void openWithDefaultApp(std::string_view target) {
  const Status started = os::launchOpen({std::string(target)});
  if (!started.ok()) showTrayMessage("Cannot open", started.error().message());
}

}  // namespace vyx
