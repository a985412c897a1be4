#include "platform/accessibility.h"

#include "os/accessibility.h"

namespace vyx {

bool checkAccessibility() {
  return os::axIsProcessTrusted();
}

bool inputAccessHeld() {
  return checkAccessibility() && os::preflightPostEventAccess();
}

void promptAccessibility() {
  (void)os::axIsProcessTrustedWithOptions(true);
}

}  // namespace vyx
