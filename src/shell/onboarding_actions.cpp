#include "shell/onboarding_actions.h"

#include <exception>

#include "log/logger.h"
#include "platform/accessibility.h"
#include "shell/onboarding_window.h"
#include "shell/tray_actions.h"

namespace vyx {

namespace {

// Runs work; a failure is logged as "PANIC in <name>: <what>" and goes no
// further, so the window keeps its state.
template <class F>
void guarded(const char* name, F&& work) {
  try {
    work();
  } catch (const std::exception& e) {
    logf("PANIC in %s: %v", name, e.what());
  } catch (...) {
    logf("PANIC in %s: %v", name, "unknown failure");
  }
}

}  // namespace

void goOnboardingGrant() {
  guarded("goOnboardingGrant", [] {
    promptAccessibility();
    openWithDefaultApp(kAccessibilityPaneURL);
  });
}

void goOnboardingFinish() {
  guarded("goOnboardingFinish", [] { ui::closeOnboardingWindow(); });
}

}  // namespace vyx
