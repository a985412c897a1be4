// Whether this process is trusted for Accessibility (accessibility.h).
#include "os/accessibility.h"

#import <ApplicationServices/ApplicationServices.h>
#import <Foundation/Foundation.h>

namespace vyx::os {

bool axIsProcessTrusted() {
  return AXIsProcessTrusted();
}

bool axIsProcessTrustedWithOptions(bool prompt) {
  NSDictionary* options = @{(__bridge NSString*)kAXTrustedCheckOptionPrompt : @(prompt)};
  return AXIsProcessTrustedWithOptions((__bridge CFDictionaryRef)options);
}

}  // namespace vyx::os
