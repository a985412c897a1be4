// The run counters, written once at exit. Raised with one atomic add, never
// under a lock, never reset; read one after the other, not as a snapshot.
#pragma once

#include <atomic>
#include <cstdint>

namespace vyx {

extern std::atomic<uint64_t> metricConversions;
extern std::atomic<uint64_t> metricQueueDrops;
extern std::atomic<uint64_t> metricTapTimeouts;
// Waits for the event tap to see the program's own posts that ran out: each
// one held a correction or the input behind it for the whole wait.
extern std::atomic<uint64_t> metricCheckpointMisses;

void logMetricsSummary();

}  // namespace vyx
