// The workspace (workspace.h): the frontmost application and activations.
#include "os/workspace.h"

#import <AppKit/AppKit.h>

#include <utility>

#include "os/mac/objc_bridge.h"

namespace vyx::os {

namespace {

RunningApplication runningApplication(NSRunningApplication* app) {
  RunningApplication running;
  if (app.bundleIdentifier != nil) running.bundleIdentifier = mac::toString(app.bundleIdentifier);
  return running;
}

}  // namespace

// From any thread; the answer changes only as the main run loop turns.
std::optional<RunningApplication> frontmostApplication() {
  NSRunningApplication* app = NSWorkspace.sharedWorkspace.frontmostApplication;
  if (app == nil) return std::nullopt;
  return runningApplication(app);
}

// The observer stays for the life of the process; its token is not kept.
void addActivationObserverOnMainQueue(std::function<void(const ActivationNotification&)> block) {
  const std::function<void(const ActivationNotification&)> observer = std::move(block);
  [NSWorkspace.sharedWorkspace.notificationCenter
      addObserverForName:NSWorkspaceDidActivateApplicationNotification
                  object:nil
                   queue:NSOperationQueue.mainQueue
              usingBlock:^(NSNotification* notification) {
                ActivationNotification activation;
                id app = notification.userInfo[NSWorkspaceApplicationKey];
                if ([app isKindOfClass:[NSRunningApplication class]]) {
                  activation.application = runningApplication(app);
                }
                observer(activation);
              }];
}

}  // namespace vyx::os
