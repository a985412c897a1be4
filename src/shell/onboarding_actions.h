// What the onboarding window's button asks of the program. Failures inside
// them are logged and never reach the window.
//
// Threads: main thread, synchronously inside the button's action.
#pragma once

namespace vyx {

// Asks for the Accessibility permission and opens its settings pane; the
// hook starts later, when the Accessibility watcher sees the grant.
void goOnboardingGrant();
// Closes the window.
void goOnboardingFinish();

}  // namespace vyx
