// The autorelease pool of each platform operation (handle.h): the runtime's
// own push and pop, which @autoreleasepool compiles into.
#include "os/handle.h"

extern "C" void* objc_autoreleasePoolPush(void);
extern "C" void objc_autoreleasePoolPop(void* pool);

namespace vyx::os {

AutoreleasePool::AutoreleasePool() : pool_(objc_autoreleasePoolPush()) {}

AutoreleasePool::~AutoreleasePool() {
  objc_autoreleasePoolPop(pool_);
}

}  // namespace vyx::os
