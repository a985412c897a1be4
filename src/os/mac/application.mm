// The application object (application.h): NSApplication's shared instance,
// made on first use.
#include "os/application.h"

#import <AppKit/AppKit.h>

#include "os/mac/objc_bridge.h"

namespace vyx::os {

void applicationSetActivationPolicy(ActivationPolicy policy) {
  [NSApplication.sharedApplication
      setActivationPolicy:static_cast<NSApplicationActivationPolicy>(policy)];
}

void applicationSetMainMenu(Menu* menu) {
  NSApplication.sharedApplication.mainMenu = mac::objectOf<NSMenu>(menu);
}

// macOS 14 replaced activation that ignores other applications with a
// cooperative one; earlier systems keep the call they have.
void applicationActivateIgnoringOtherApps(bool ignore) {
  if (@available(macOS 14.0, *)) {
    [NSApplication.sharedApplication activate];
  } else {
    [NSApplication.sharedApplication activateIgnoringOtherApps:ignore];
  }
}

void applicationRun() {
  [NSApplication.sharedApplication run];
}

}  // namespace vyx::os
