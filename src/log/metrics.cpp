#include "log/metrics.h"

#include "log/logger.h"

namespace vyx {

std::atomic<uint64_t> metricConversions{0};
std::atomic<uint64_t> metricQueueDrops{0};
std::atomic<uint64_t> metricTapTimeouts{0};
std::atomic<uint64_t> metricCheckpointMisses{0};

void logMetricsSummary() {
  const uint64_t conversions = metricConversions.load();
  const uint64_t drops = metricQueueDrops.load();
  const uint64_t timeouts = metricTapTimeouts.load();
  const uint64_t misses = metricCheckpointMisses.load();
  // Read by scripts: fields are only ever added at the end.
  logf("metrics: conversions=%d queue_drops=%d tap_timeouts=%d checkpoint_misses=%d", conversions,
       drops, timeouts, misses);
}

}  // namespace vyx
