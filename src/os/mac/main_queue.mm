// The main thread and its queue (main_queue.h). Work goes to the main run
// loop in its default mode, in order: like the simulated desktop's queue it
// waits while a modal alert or an open menu runs the loop in another mode,
// so that a second alert shows only after the first is dismissed.
#include "os/main_queue.h"

#import <CoreFoundation/CoreFoundation.h>
#import <Foundation/Foundation.h>

#include <utility>

namespace vyx::os {

namespace {

void perform(CFRunLoopMode mode, std::function<void()> block) {
  CFRunLoopRef main = CFRunLoopGetMain();
  const std::function<void()> work = std::move(block);
  CFRunLoopPerformBlock(main, mode, ^{
    work();
  });
  CFRunLoopWakeUp(main);
}

}  // namespace

void dispatchAsyncMain(std::function<void()> block) {
  perform(kCFRunLoopDefaultMode, std::move(block));
}

// The common modes include those of a modal panel and of menu tracking.
void dispatchAsyncMainInAllModes(std::function<void()> block) {
  perform(kCFRunLoopCommonModes, std::move(block));
}

bool isMainThread() {
  return NSThread.isMainThread;
}

}  // namespace vyx::os
