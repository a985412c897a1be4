// From the start of the vyx process to its "Vyx ready" line, with the
// Accessibility permission granted, and the resident memory of the running
// program then and after its first correction.
#include <benchmark/benchmark.h>

#include <chrono>

#include "support/vyx_process.h"

namespace vyx::testing {
namespace {

void BM_StartToReady(benchmark::State& state) {
  int64_t readyKiB = 0;
  int64_t correctedKiB = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    VyxProcess vyx({.trusted = true});
    if (!vyx.waitForLog("Vyx ready")) {
      state.SkipWithError("no \"Vyx ready\"");
      break;
    }
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    readyKiB = vyx.residentKiB();
    os::sim::DesktopClient client = vyx.connect();
    if (!waitForEnabledTap(client)) {
      state.SkipWithError("the event tap never ran");
      break;
    }
    client.typeAsPerson("привет ", {.keyDelay = std::chrono::milliseconds(5)});
    if (!client.waitIdle() || client.text("com.apple.TextEdit") != "привет ") {
      state.SkipWithError("no correction");
      break;
    }
    correctedKiB = vyx.residentKiB();
  }
  state.counters["rss_ready_kib"] = static_cast<double>(readyKiB);
  state.counters["rss_after_correction_kib"] = static_cast<double>(correctedKiB);
}
BENCHMARK(BM_StartToReady)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace vyx::testing
