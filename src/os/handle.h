// Ownership of platform objects. The platform hands out objects under the
// create/copy rule: whoever created or copied one releases it once. Ref<T>
// does that release at the end of its scope; code that must hand an object
// over (a mouse event held by the pipeline) takes it out with release().
#pragma once

#include <memory>

namespace vyx::os {

template <class T>
struct Releaser {
  void operator()(T* object) const noexcept { release(object); }
};

// An owned platform object; empty when creation failed.
template <class T>
using Ref = std::unique_ptr<T, Releaser<T>>;

template <class T>
[[nodiscard]] Ref<T> adopt(T* object) {
  return Ref<T>(object);
}

// Brackets each operation that touches user-interface or pasteboard objects,
// so that temporaries made inside it are freed when it ends.
class AutoreleasePool final {
 public:
  AutoreleasePool();
  ~AutoreleasePool();
  AutoreleasePool(const AutoreleasePool&) = delete;
  AutoreleasePool& operator=(const AutoreleasePool&) = delete;

 private:
  void* pool_;
};

}  // namespace vyx::os
