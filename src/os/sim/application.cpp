// The application object (application.h): activation policy, main menu,
// activation, the event loop and the system's request to quit.
#include "os/application.h"

#include <cstdlib>

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

void applicationSetQuitHandler(QuitHandler handler) {
  uiState("applicationSetQuitHandler").quitHandler = handler;
}

void applicationRun() {
  sim::Desktop* desktop = sim::Desktop::current();
  if (desktop == nullptr) return;
  desktop->impl().main.run();
}

}  // namespace vyx::os

namespace vyx::os::sim {

// The request arrives as an event does, through the main run loop's default
// mode: it waits while a modal alert runs.
void Desktop::requestQuit() {
  impl_->main.post([&impl = *impl_] {
    if (const QuitHandler handler = impl.ui.quitHandler) handler();
    // What the system does without a handler.
    std::exit(0);  // NOLINT(concurrency-mt-unsafe)
  });
}

}  // namespace vyx::os::sim
