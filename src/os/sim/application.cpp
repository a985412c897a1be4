// The application object (application.h): activation policy, main menu,
// activation and the event loop.
#include "os/application.h"
#include "os/sim/desktop_impl.h"
#include "os/sim/ui_state.h"

namespace vyx::os {

using sim::checked;
using sim::uiState;

void applicationSetActivationPolicy(ActivationPolicy policy) {
  uiState("applicationSetActivationPolicy").activationPolicy = policy;
}

void applicationSetMainMenu(Menu* menu) {
  auto& ui = uiState("applicationSetMainMenu");
  ui.mainMenu = menu == nullptr ? nullptr : &checked(ui, menu, "applicationSetMainMenu");
}

// The program's own application becomes frontmost, as when the user clicks
// it; the call counts even when it already was.
void applicationActivateIgnoringOtherApps(bool /*ignore*/) {
  sim::Desktop* desktop = sim::Desktop::current();
  if (desktop == nullptr) return;
  sim::activateOwnApp(desktop->impl());
}

void applicationRun() {
  sim::Desktop* desktop = sim::Desktop::current();
  if (desktop == nullptr) return;
  desktop->impl().main.run();
}

}  // namespace vyx::os
