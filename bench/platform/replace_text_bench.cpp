// The erase-and-retype of a five-letter word: its pauses add up to 90 ms;
// what it costs beyond them is the posting of ten presses and the input
// source switch. Measured with no pauses (the program's own work), and with
// the real sleeps against the same sleeps alone.
#include "bench_support.h"
#include "platform/synthetic_input.h"

namespace vyx::bench {
namespace {

namespace sim = os::sim;

constexpr double kPausesMs = 90;

std::chrono::duration<double, std::milli> timeReplace(const Pause& pause) {
  const auto t0 = std::chrono::steady_clock::now();
  (void)replaceText(5, "hello", "com.apple.TextEdit", pause);
  return std::chrono::steady_clock::now() - t0;
}

void BM_ReplaceTextWork(benchmark::State& state) {
  sim::Desktop desktop;
  std::vector<double> ns;
  for (auto _ : state) {
    desktop.selectInputSource("com.apple.keylayout.Russian");  // so that a switch happens
    const auto t = timeReplace([](std::chrono::milliseconds) {});
    ns.push_back(Nanos(t).count());
    state.SetIterationTime(t.count() / 1e3);
  }
  reportPercentiles(state, std::move(ns));
}
BENCHMARK(BM_ReplaceTextWork)->UseManualTime();

// The same pauses slept alone are the baseline: the system's oversleeping
// is in both, so their difference is what replaceText adds.
void BM_ReplaceTextWithPauses(benchmark::State& state) {
  sim::Desktop desktop;
  std::vector<std::chrono::milliseconds> pauses;
  (void)replaceText(5, "hello", "com.apple.TextEdit",
                    [&](std::chrono::milliseconds d) { pauses.push_back(d); });
  std::vector<double> overNs;
  double minTotalMs = 1e9;
  for (auto _ : state) {
    const auto b0 = std::chrono::steady_clock::now();
    for (const auto d : pauses) sleepPause(d);
    const std::chrono::duration<double, std::milli> bare = std::chrono::steady_clock::now() - b0;
    desktop.selectInputSource("com.apple.keylayout.Russian");
    const auto t = timeReplace(sleepPause);
    state.SetIterationTime(t.count() / 1e3);
    minTotalMs = std::min(minTotalMs, t.count());
    overNs.push_back(Nanos(t - bare).count());
  }
  std::sort(overNs.begin(), overNs.end());
  state.counters["pauses_ms"] = kPausesMs;
  state.counters["min_total_ms"] = minTotalMs;
  state.counters["over_bare_sleeps_p50_ns"] = overNs[overNs.size() / 2];
  state.counters["over_bare_sleeps_max_ns"] = overNs.back();
}
BENCHMARK(BM_ReplaceTextWithPauses)->UseManualTime()->Iterations(40)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vyx::bench
