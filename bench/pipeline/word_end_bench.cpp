// The slowest word ends there are: runs of keys that give no word on either
// layout but look Russian enough that every lookup goes deep ("ntcnntcn…" is
// тесттест…), from n keys (the argument) up to the longest word the pipeline
// still judges, alone and behind the key of a capital ("|ckjdj…"). Each goes through the
// whole decision (skip rules, then the detector) with a fresh Detector, so no
// remembered answer helps. Reported: median, p99 and max per input, and the
// slowest input.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "detect/keymaps.h"
#include "pipeline/word_decision.h"

namespace vyx {
namespace {

// Russian words that runs are made of, as typed on QWERTY: тест, слово,
// привет, стол, мама, для, который, после, тестирование, сделать, нет.
constexpr const char* kSyllables[] = {"ntcn",    "ckjdj", "ghbdtn",       "cnjk",    "vfvf", "lkz",
                                      "rjnjhsq", "gjckt", "ntcnbhjdfybt", "cltkfnm", "ytn"};
// Keys that stand before a word for a capital: Ё, Ж, Э, Б, Ю, Х.
constexpr const char* kCapitalKeys[] = {"|", ":", "\"", "<", ">", "{"};

std::string repeatTo(const std::string& unit, size_t n) {
  std::string s;
  while (s.size() < n) s += unit;
  s.resize(n);
  return s;
}

std::vector<std::string> slowInputs(size_t shortest) {
  std::vector<std::string> inputs;
  for (size_t n = shortest; n <= kMaxWordLength; ++n) {
    for (const char* unit : kSyllables) {
      inputs.push_back(repeatTo(unit, n));
      inputs.push_back(std::string(kCapitalKeys[n % std::size(kCapitalKeys)]) +
                       repeatTo(unit, n - 1));
    }
  }
  // Runs of those words in random order, with and without a capital's key.
  std::mt19937 rng(32);
  for (int i = 0; i < 200; ++i) {
    const size_t n = shortest + rng() % (kMaxWordLength - shortest + 1);
    std::string s = i % 2 == 0 ? kCapitalKeys[rng() % std::size(kCapitalKeys)] : "";
    while (s.size() < n) s += kSyllables[rng() % std::size(kSyllables)];
    s.resize(n);
    inputs.push_back(std::move(s));
  }
  return inputs;
}

void BM_SlowestWordEnds(benchmark::State& state) {
  static const Dict ru = std::move(LoadDict("ru")).value();
  static const Dict en = std::move(LoadDict("en")).value();
  const Config cfg;
  const std::function<std::string()> frontmost = [] { return std::string("com.apple.TextEdit"); };
  const std::vector<std::string> inputs = slowInputs(static_cast<size_t>(state.range(0)));
  std::vector<double> worstUs(inputs.size(), 0);
  for (auto _ : state) {
    for (size_t i = 0; i < inputs.size(); ++i) {
      Detector detector(ru, en);
      const auto t0 = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(
          decideFinishedWord(cfg, nullptr, detector, inputs[i], U' ', frontmost));
      const auto t1 = std::chrono::steady_clock::now();
      worstUs[i] = std::max(worstUs[i], std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
  }
  std::vector<double> sorted = worstUs;
  std::sort(sorted.begin(), sorted.end());
  const auto at = [&](double q) {
    return sorted[static_cast<size_t>(q * static_cast<double>(sorted.size() - 1))];
  };
  state.counters["inputs"] = static_cast<double>(inputs.size());
  state.counters["median_us"] = at(0.5);
  state.counters["p99_us"] = at(0.99);
  state.counters["max_us"] = sorted.back();
  state.counters["over_1ms"] =
      static_cast<double>(sorted.end() - std::upper_bound(sorted.begin(), sorted.end(), 1000.0));
  const size_t slowest =
      static_cast<size_t>(std::max_element(worstUs.begin(), worstUs.end()) - worstUs.begin());
  state.SetLabel("slowest: " + inputs[slowest]);
}
BENCHMARK(BM_SlowestWordEnds)->Arg(44)->Arg(16)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace vyx
