// Latency of one word decision, the work done while the key that ended the
// word is held. Each benchmark feeds one fresh Detector every word of a corpus
// in order, times every call, and reports the median, the 99th percentile and
// the maximum as counters (microseconds). Run from a Release build:
//   bench/detector/bench_detector --corpus=/path/words.tok [--limit=N]
// or with VYX_BENCH_CORPUS set. Without a corpus it uses words of the
// embedded lists, so it always runs. BM_DecideRunOfKeys times one decision on
// ever longer runs of keys.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "detect/detector.h"
#include "detect/keymaps.h"
#include "text/unicode.h"

namespace vyx {
namespace {

struct Setup {
  Dict ru;
  Dict en;
  std::vector<std::string> words;
  std::string source;
};
std::optional<Setup> setup;

std::vector<std::string> readCorpus(const std::string& path, size_t limit) {
  std::vector<std::string> words;
  std::ifstream in(path);
  for (std::string line; words.size() < limit && std::getline(in, line);) {
    const std::string_view w = trimSpace(line);
    if (!w.empty()) words.emplace_back(w);
  }
  return words;
}

// Russian words from the top of the frequency list interleaved with the
// English list, roughly the mix of a bilingual text.
std::vector<std::string> listWords(const Dict& ru, const Dict& en, size_t limit) {
  std::vector<std::pair<int64_t, std::string>> ranked;
  ru.forEachWord([&](std::string_view word, int64_t rank) { ranked.emplace_back(rank, word); });
  std::sort(ranked.begin(), ranked.end());
  std::vector<std::string> english;
  en.forEachWord([&](std::string_view word, int64_t) { english.emplace_back(word); });
  std::sort(english.begin(), english.end());
  std::vector<std::string> words;
  for (size_t i = 0; words.size() < limit && (i < ranked.size() || i < english.size()); ++i) {
    if (i < ranked.size()) words.push_back(ranked[i].second);
    if (i < english.size()) words.push_back(english[i]);
  }
  return words;
}

double percentile(const std::vector<double>& sorted, double p) {
  if (sorted.empty()) return 0;
  const size_t i = static_cast<size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5);
  return sorted[i];
}

void decideAll(benchmark::State& state, bool otherLayout) {
  std::vector<std::string> inputs;
  inputs.reserve(setup->words.size());
  for (const std::string& w : setup->words) {
    inputs.push_back(otherLayout ? convertScript(detectScript(w), w) : w);
  }
  std::vector<double> micros(inputs.size());
  std::string slowest;
  for (auto _ : state) {
    Detector detector(setup->ru, setup->en);
    for (size_t i = 0; i < inputs.size(); ++i) {
      const auto start = std::chrono::steady_clock::now();
      const Decision d = detector.CheckWithTrailingPunct(inputs[i]);
      const auto stop = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(d);
      micros[i] = std::chrono::duration<double, std::micro>(stop - start).count();
    }
  }
  const size_t worst =
      static_cast<size_t>(std::max_element(micros.begin(), micros.end()) - micros.begin());
  if (!inputs.empty()) slowest = inputs[worst];
  double sum = 0;
  for (const double m : micros) sum += m;
  std::vector<double> sorted = micros;
  std::sort(sorted.begin(), sorted.end());
  const auto over = [&](double limit) {
    return static_cast<double>(sorted.end() -
                               std::upper_bound(sorted.begin(), sorted.end(), limit));
  };
  state.counters["words"] = static_cast<double>(inputs.size());
  state.counters["mean_us"] = inputs.empty() ? 0 : sum / static_cast<double>(inputs.size());
  state.counters["median_us"] = percentile(sorted, 0.5);
  state.counters["p99_us"] = percentile(sorted, 0.99);
  state.counters["max_us"] = sorted.empty() ? 0 : sorted.back();
  state.counters["over_500us"] = over(500);
  state.counters["over_5ms"] = over(5000);
  state.SetLabel(setup->source + ", slowest: " + slowest);
}

void BM_DecideTypedRight(benchmark::State& state) {
  decideAll(state, false);
}
BENCHMARK(BM_DecideTypedRight)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_DecideOtherLayout(benchmark::State& state) {
  decideAll(state, true);
}
BENCHMARK(BM_DecideOtherLayout)->Unit(benchmark::kMillisecond)->Iterations(1);

// One decision on a run of n keys that gives no word either way ("ghbdtn"
// over and over): the costliest input there is, since the fuzzy search runs
// on it. A fresh Detector each time, so no remembered answer is reused. The
// time grows with n while a stem the run begins with may still be cut off,
// and stays flat beyond the longest word the Russian list can accept.
void BM_DecideRunOfKeys(benchmark::State& state) {
  std::string word;
  while (word.size() < static_cast<size_t>(state.range(0))) word += "ghbdtn";
  word.resize(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    Detector detector(setup->ru, setup->en);
    benchmark::DoNotOptimize(detector.CheckWithTrailingPunct(word));
  }
}
BENCHMARK(BM_DecideRunOfKeys)
    ->Arg(16)
    ->Arg(32)
    ->Arg(kMaxWordLength)
    ->Arg(kMaxWordLength + 1)
    ->Arg(300)
    ->Arg(1000)
    ->Arg(3000)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vyx

int main(int argc, char** argv) {
  std::string corpus = std::getenv("VYX_BENCH_CORPUS") ? std::getenv("VYX_BENCH_CORPUS") : "";
  size_t limit = 200000;
  // Our own flags go before Google Benchmark sees the rest.
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.starts_with("--corpus=")) {
      corpus = arg.substr(9);
    } else if (arg.starts_with("--limit=")) {
      limit = std::strtoull(argv[i] + 8, nullptr, 10);
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;

  vyx::Result<vyx::Dict> ru = vyx::LoadDict("ru");
  vyx::Result<vyx::Dict> en = vyx::LoadDict("en");
  if (!ru || !en) return 1;
  vyx::setup.emplace(vyx::Setup{std::move(ru).value(), std::move(en).value(), {}, {}});
  if (!corpus.empty()) {
    vyx::setup->words = vyx::readCorpus(corpus, limit);
    vyx::setup->source = corpus;
  }
  if (vyx::setup->words.empty()) {
    vyx::setup->words =
        vyx::listWords(vyx::setup->ru, vyx::setup->en, std::min<size_t>(limit, 20000));
    vyx::setup->source = "embedded lists";
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
