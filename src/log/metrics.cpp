#include "log/metrics.h"

#include "log/logger.h"

namespace vyx {

std::atomic<uint64_t> metricConversions{0};
std::atomic<uint64_t> metricQueueDrops{0};
std::atomic<uint64_t> metricTapTimeouts{0};

void logMetricsSummary() {
  const uint64_t conversions = metricConversions.load();
  const uint64_t drops = metricQueueDrops.load();
  const uint64_t timeouts = metricTapTimeouts.load();
  logf("metrics: conversions=%d queue_drops=%d tap_timeouts=%d", conversions, drops, timeouts);
}

}  // namespace vyx
