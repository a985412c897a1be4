// The system "open" command (launch.h), started as a task that the system
// reaps when it ends.
#include "os/launch.h"

#import <Foundation/Foundation.h>

#include "os/mac/objc_bridge.h"

namespace vyx::os {

Status launchOpen(const std::vector<std::string>& arguments) {
  NSMutableArray<NSString*>* args = [NSMutableArray arrayWithCapacity:arguments.size()];
  for (const std::string& argument : arguments) [args addObject:mac::toNSString(argument)];
  NSError* error = nil;
  NSTask* task = [NSTask launchedTaskWithExecutableURL:[NSURL fileURLWithPath:@"/usr/bin/open"]
                                             arguments:args
                                                 error:&error
                                    terminationHandler:nil];
  if (task == nil) return Error("open: " + mac::toString(error.localizedDescription));
  return {};
}

}  // namespace vyx::os
