// The application object (application.h): NSApplication's shared instance,
// made on first use, and its delegate, which answers the system's quit.
#include "os/application.h"

#import <AppKit/AppKit.h>

#include "os/mac/objc_bridge.h"

namespace {

// Main thread only, as every call of this file.
vyx::os::QuitHandler quitHandler = nullptr;

}  // namespace

// -[NSApplication terminate:] (logout, restart, Activity Monitor, AppleScript)
// asks here before it calls exit(); the handler ends the process first.
@interface VyxApplicationDelegate : NSObject <NSApplicationDelegate>
@end

@implementation VyxApplicationDelegate

- (NSApplicationTerminateReply)applicationShouldTerminate:(NSApplication*)sender {
  (void)sender;
  if (quitHandler != nullptr) quitHandler();
  return NSTerminateNow;
}

@end

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

// The application holds its delegate weakly: this one is never released.
void applicationSetQuitHandler(QuitHandler handler) {
  static void* const delegate = (__bridge_retained void*)[[VyxApplicationDelegate alloc] init];
  quitHandler = handler;
  NSApplication.sharedApplication.delegate = (__bridge VyxApplicationDelegate*)delegate;
}

void applicationRun() {
  [NSApplication.sharedApplication run];
}

}  // namespace vyx::os
