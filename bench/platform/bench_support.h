// What the bridge's benchmarks share: percentiles of per-call times, the
// embedded word lists, and an App wired to the bridge on a simulated desktop.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "detect/detector.h"
#include "os/sim/desktop.h"
#include "pipeline/app.h"
#include "pipeline/undo_state.h"
#include "platform/bridge_ops.h"
#include "platform/frontmost.h"
#include "store/config.h"

namespace vyx::bench {

using Nanos = std::chrono::duration<double, std::nano>;

inline void reportPercentiles(benchmark::State& state, std::vector<double> ns) {
  if (ns.empty()) return;
  std::sort(ns.begin(), ns.end());
  const auto at = [&](double q) {
    return ns[static_cast<size_t>(q * static_cast<double>(ns.size() - 1))];
  };
  state.counters["p50_ns"] = at(0.5);
  state.counters["p99_ns"] = at(0.99);
  state.counters["max_ns"] = ns.back();
  state.counters["calls"] = static_cast<double>(ns.size());
}

struct Dicts {
  Dict ru = std::move(LoadDict("ru")).value();
  Dict en = std::move(LoadDict("en")).value();
};

inline Dicts& dicts() {
  static Dicts d;
  return d;
}

// The pipeline as start-up builds it, published and handling keys.
class Program final {
 public:
  explicit Program(AppOps ops) : detector(dicts().ru, dicts().en) {
    app = newApp(cfg, nullptr, detector, nullptr, std::move(ops), systemClock(), &undo);
    setTrayApp(app.get());
    App* a = app.get();
    setKeyHandler([a](uint16_t k, char32_t c, int64_t f, std::u16string_view t) {
      return a->onKeyEvent(k, c, f, t);
    });
  }
  ~Program() {
    setKeyHandler(nullptr);
    setTrayApp(nullptr);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  void waitIdle() const {
    while (app->isBusy()) std::this_thread::sleep_for(std::chrono::microseconds(100));
  }

  Config cfg;
  Detector detector;
  undoState undo;
  std::unique_ptr<App> app;
};

}  // namespace vyx::bench
