// Counts the allocations the calling thread makes through operator new
// (the whole test program's operator new is replaced to count them).
#pragma once

#include <cstdint>

namespace vyx::testing {

[[nodiscard]] uint64_t allocationsOnThisThread();

}  // namespace vyx::testing
