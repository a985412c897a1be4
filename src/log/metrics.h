// The three run counters, written once at exit. Raised with one atomic add,
// never under a lock, never reset; read one after the other, not as a snapshot.
#pragma once

#include <atomic>
#include <cstdint>

namespace vyx {

extern std::atomic<uint64_t> metricConversions;
extern std::atomic<uint64_t> metricQueueDrops;
extern std::atomic<uint64_t> metricTapTimeouts;

void logMetricsSummary();

}  // namespace vyx
