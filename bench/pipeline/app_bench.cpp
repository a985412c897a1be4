// The cost of the key path as the event tap pays it: a letter inside a word
// (every keystroke), a space that ends a wrong-layout word (the detector's
// decision plus queueing), and both for a run of keys far longer than a word.
// Per-call latencies are timed one by one and reported as percentiles.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "pipeline/app.h"

namespace vyx {
namespace {

using Nanos = std::chrono::duration<double, std::nano>;

struct Dicts {
  Dict ru = std::move(LoadDict("ru")).value();
  Dict en = std::move(LoadDict("en")).value();
};

Dicts& dicts() {
  static Dicts d;
  return d;
}

AppOps quietOps() {
  AppOps ops;
  ops.frontmostApp = [] { return std::string("com.apple.TextEdit"); };
  ops.trayEnabled = [] { return true; };
  ops.replaceText = [](int64_t, const std::string&, const std::string&) { return Status(); };
  return ops;
}

void reportPercentiles(benchmark::State& state, std::vector<double>& ns) {
  std::sort(ns.begin(), ns.end());
  auto at = [&](double q) {
    return ns[static_cast<size_t>(q * static_cast<double>(ns.size() - 1))];
  };
  state.counters["p50_ns"] = at(0.5);
  state.counters["p99_ns"] = at(0.99);
  state.counters["max_ns"] = ns.back();
}

void waitIdle(App& app) {
  while (app.isBusy()) std::this_thread::yield();
}

void BM_LetterInsideWord(benchmark::State& state) {
  Config cfg;
  Detector detector(dicts().ru, dicts().en);
  undoState undo;
  auto app = newApp(cfg, nullptr, detector, nullptr, quietOps(), systemClock(), &undo);
  std::vector<double> ns;
  ns.reserve(1 << 20);
  int inWord = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(app->onKeyEvent(0, U'a', 0));
    const auto t1 = std::chrono::steady_clock::now();
    ns.push_back(Nanos(t1 - t0).count());
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    if (++inWord == 12) {  // keep words word-sized
      app->invalidateContext();
      inWord = 0;
    }
  }
  reportPercentiles(state, ns);
}
BENCHMARK(BM_LetterInsideWord)->UseManualTime();

void BM_SpaceEndingWrongLayoutWord(benchmark::State& state) {
  Config cfg;
  Detector detector(dicts().ru, dicts().en);
  undoState undo;
  auto app = newApp(cfg, nullptr, detector, nullptr, quietOps(), systemClock(), &undo);
  static const char32_t* const kWords[] = {U"ghbdtn",   U"cgfcb,j", U"hf,jnf",  U"gjxtve",
                                           U"yfdthyjt", U"crfpfnm", U"ctujlyz", U"ljv"};
  std::vector<double> ns;
  size_t i = 0;
  for (auto _ : state) {
    for (const char32_t* c = kWords[i++ % std::size(kWords)]; *c != 0; ++c) {
      (void)app->onKeyEvent(0, *c, 0);
    }
    const auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(app->onKeyEvent(49, U' ', 0));
    const auto t1 = std::chrono::steady_clock::now();
    ns.push_back(Nanos(t1 - t0).count());
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    waitIdle(*app);
  }
  reportPercentiles(state, ns);
}
BENCHMARK(BM_SpaceEndingWrongLayoutWord)->UseManualTime();

// A run of n keys that is no word, then the space that ends it. The mean cost
// of a key stays flat however long the run; the space copies and counts the
// run once, a few nanoseconds per key, and the detector is never asked.
void BM_RunOfKeysThenSpace(benchmark::State& state) {
  Config cfg;
  Detector detector(dicts().ru, dicts().en);
  undoState undo;
  auto app = newApp(cfg, nullptr, detector, nullptr, quietOps(), systemClock(), &undo);
  const auto n = static_cast<size_t>(state.range(0));
  static constexpr char32_t kKeys[] = U"ghbdtn";
  std::vector<double> keyNs;
  std::vector<double> spaceNs;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    for (size_t i = 0; i < n; ++i) (void)app->onKeyEvent(0, kKeys[i % 6], 0);
    const auto t1 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(app->onKeyEvent(49, U' ', 0));
    const auto t2 = std::chrono::steady_clock::now();
    keyNs.push_back(Nanos(t1 - t0).count() / static_cast<double>(n));
    spaceNs.push_back(Nanos(t2 - t1).count());
    state.SetIterationTime(std::chrono::duration<double>(t2 - t0).count());
  }
  std::sort(keyNs.begin(), keyNs.end());
  state.counters["key_p50_ns"] = keyNs[keyNs.size() / 2];
  reportPercentiles(state, spaceNs);
}
BENCHMARK(BM_RunOfKeysThenSpace)
    ->Arg(kMaxWordLength + 1)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime();

}  // namespace
}  // namespace vyx

BENCHMARK_MAIN();
