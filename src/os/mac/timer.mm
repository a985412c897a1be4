// Timers (timer.h): scheduled NSTimers on the main run loop's default mode,
// each kept for the life of the process so that its handle stays valid once
// the run loop lets go of it.
#include "os/timer.h"

#import <Foundation/Foundation.h>

#include <utility>

#include "os/mac/objc_bridge.h"

namespace vyx::os {

Timer* timerScheduled(double interval, bool repeats, std::function<void()> fire) {
  const std::function<void()> action = std::move(fire);
  return mac::retainedHandle<Timer>([NSTimer scheduledTimerWithTimeInterval:interval
                                                                    repeats:repeats
                                                                      block:^(NSTimer*) {
                                                                        if (action) action();
                                                                      }]);
}

void timerInvalidate(Timer* timer) {
  [mac::objectOf<NSTimer>(timer) invalidate];
}

}  // namespace vyx::os
