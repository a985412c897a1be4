// The Mac as the machine: the system is already there, so bringing it up only
// makes the shared application object, on the main thread, before anything
// of the user interface is touched.
#include "shell/main/platform.h"

#import <AppKit/AppKit.h>

namespace vyx {

struct Platform::State {};

Platform::Platform() : state_(std::make_unique<State>()) {
  (void)NSApplication.sharedApplication;
}

Platform::~Platform() = default;

// Nobody on a Mac waits for the program to go quiet.
void Platform::setBusyProbe(const std::function<bool()>& /*busy*/) {}

}  // namespace vyx
