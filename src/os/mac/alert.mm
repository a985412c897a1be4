// Modal alerts (alert.h): an Alert is an NSAlert released once by its maker.
#include "os/alert.h"

#import <AppKit/AppKit.h>

#include "os/mac/objc_bridge.h"

namespace vyx::os {

namespace {

NSAlert* alertOf(Alert* alert) {
  return mac::objectOf<NSAlert>(alert);
}

}  // namespace

void release(Alert* alert) {
  if (alert != nullptr) CFRelease(static_cast<CFTypeRef>(alert));
}

Alert* alertCreate() {
  return mac::retainedHandle<Alert>([[NSAlert alloc] init]);
}

void alertSetMessageText(Alert* alert, std::string_view text) {
  alertOf(alert).messageText = mac::toNSString(text);
}

void alertSetInformativeText(Alert* alert, std::string_view text) {
  alertOf(alert).informativeText = mac::toNSString(text);
}

void alertAddButton(Alert* alert, std::string_view title) {
  [alertOf(alert) addButtonWithTitle:mac::toNSString(title)];
}

// Laid out and brought above the other applications' windows first: from
// macOS 14 the activation before it may be turned down (window.mm).
int64_t alertRunModal(Alert* alert) {
  NSAlert* a = alertOf(alert);
  [a layout];
  [a.window orderFrontRegardless];
  return [a runModal];
}

}  // namespace vyx::os
