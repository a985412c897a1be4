#include "alloc_counter.h"

#include <cstdlib>
#include <new>

namespace {
thread_local uint64_t allocations = 0;
}  // namespace

namespace vyx::testing {
uint64_t allocationsOnThisThread() {
  return allocations;
}
}  // namespace vyx::testing

// The other forms of new and delete come down to these two.
void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
