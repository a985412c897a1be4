// Nothing here is autoreleased: objects are freed by their owners.
#include "os/handle.h"

namespace vyx::os {

AutoreleasePool::AutoreleasePool() : pool_(nullptr) {}
AutoreleasePool::~AutoreleasePool() = default;

}  // namespace vyx::os
