// Whether this process is trusted for Accessibility and may post events
// (accessibility.h).
#include "os/accessibility.h"

#import <ApplicationServices/ApplicationServices.h>
#import <CoreGraphics/CoreGraphics.h>
#import <Foundation/Foundation.h>

namespace vyx::os {

bool axIsProcessTrusted() {
  return AXIsProcessTrusted();
}

bool axIsProcessTrustedWithOptions(bool prompt) {
  NSDictionary* options = @{(__bridge NSString*)kAXTrustedCheckOptionPrompt : @(prompt)};
  return AXIsProcessTrustedWithOptions((__bridge CFDictionaryRef)options);
}

// macOS 10.15 and later, older than any system the program runs on.
bool preflightPostEventAccess() {
  return CGPreflightPostEventAccess();
}

}  // namespace vyx::os
