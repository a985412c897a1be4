#include "shell/onboarding_actions.h"

#include <exception>
#include <string_view>

#include "log/logger.h"
#include "platform/accessibility.h"
#include "shell/onboarding_window.h"
#include "shell/tray_actions.h"

namespace vyx {

namespace {

// Runs work; a failure is logged with the format and goes no further, so
// the window keeps its state.
template <class F>
void guarded(std::string_view panicFormat, F&& work) {
  try {
    work();
  } catch (const std::exception& e) {
    logf(panicFormat, e.what());
  } catch (...) {
    logf(panicFormat, "unknown failure");
  }
}

}  // namespace

void goOnboardingGrant() {
  guarded("PANIC in goOnboardingGrant: %v", [] {
    promptAccessibility();
    openWithDefaultApp(kAccessibilityPaneURL);
  });
}

void goOnboardingFinish() {
  guarded("PANIC in goOnboardingFinish: %v", [] { ui::closeOnboardingWindow(); });
}

}  // namespace vyx
