// Loading and lookup costs of the embedded word lists, and the memory they
// take. Run from a Release build:
//   bench/dict/bench_dict
// The context block at the top prints the resident set before loading both
// lists, right after (the images are paged in only as lookups reach them),
// and once every byte of both images has been read (the most they can take),
// with the images' sizes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <fstream>
#include <optional>
#include <string>

#include "detect/dict.h"
#include "detect/keymaps.h"

namespace vyx {
namespace {

// Resident set size in KiB, from the second field of /proc/self/statm.
long residentKiB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0;
  long resident = -1;
  statm >> size >> resident;
  return resident < 0 ? -1 : resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Reads every byte of an image, so that all its pages are resident.
size_t touchAll(const DictImage& img) {
  size_t sum = 0;
  for (const uint8_t b : img.bytes()) sum += b;
  return sum;
}

struct Lists {
  Dict ru;
  Dict en;
};

std::optional<Lists> loadBoth() {
  Result<Dict> ru = LoadDict("ru");
  Result<Dict> en = LoadDict("en");
  if (!ru || !en) {
    return std::nullopt;
  }
  return Lists{std::move(ru).value(), std::move(en).value()};
}

// Loaded by main before any benchmark runs.
std::optional<Lists> shared;

void BM_LoadBothLists(benchmark::State& state) {
  for (auto _ : state) {
    std::optional<Lists> l = loadBoth();
    benchmark::DoNotOptimize(l);
    // The program never frees its lists, so freeing them is not start-up time.
    state.PauseTiming();
    l.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LoadBothLists)->Unit(benchmark::kMillisecond)->Iterations(10);

// Has on one word; the word's answer is checked first, so a changed list
// cannot silently turn a "missing" benchmark into a "found" one.
void BM_Has(benchmark::State& state, bool russian, const char* word, bool expected) {
  const Dict& d = russian ? shared->ru : shared->en;
  if (d.Has(word) != expected) {
    state.SkipWithError("unexpected answer for the benchmark word");
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(d.Has(word));
  }
}
BENCHMARK_CAPTURE(BM_Has, ru_found_directly, true, "привет", true);
// Not in the list, but ends in "ешь" and "ь" with an alternating consonant
// before each: about a hundred lookups after the stemming.
BENCHMARK_CAPTURE(BM_Has, ru_inflected_missing, true, "брумжешь", false);
BENCHMARK_CAPTURE(BM_Has, ru_inflected_found, true, "пересчитывали", true);
BENCHMARK_CAPTURE(BM_Has, en_missing, false, "ghbdtncndetn", false);

BENCHMARK_CAPTURE(BM_Has, ru_other_script, true, "пpивет", false);  // Latin p
BENCHMARK_CAPTURE(BM_Has, ru_yo_inflected, true, "ёлками", true);

void BM_HasWordExact(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(shared->ru.hasWord("привет"));
  }
}
BENCHMARK(BM_HasWordExact);

// FuzzyFind of a word typed on the wrong layout (given in Latin, looked up in
// Russian): every one of its 67n + 33 candidates is a call of Has.
void BM_FuzzyFind(benchmark::State& state, const char* typed, bool expected) {
  const std::string word = convertScript(kScriptLatin, typed);
  if (shared->ru.FuzzyFind(word).has_value() != expected) {
    state.SkipWithError("unexpected answer for the benchmark word");
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(shared->ru.FuzzyFind(word));
  }
  state.SetLabel(word);
}
// English words typed on the Russian layout, the detector's worst cases:
// nothing is found, so every candidate is tried.
BENCHMARK_CAPTURE(BM_FuzzyFind, no_match, "understand", false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FuzzyFind, hyphenated, "ring-around-the-rosie", false)
    ->Unit(benchmark::kMicrosecond);
// A long Russian word typed on QWERTY that is not in the list.
BENCHMARK_CAPTURE(BM_FuzzyFind, long_russian, "fdnjuheggbhjdrjq", false)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vyx

int main(int argc, char** argv) {
  const long before = vyx::residentKiB();
  vyx::shared = vyx::loadBoth();
  if (!vyx::shared) {
    return 1;
  }
  const long after = vyx::residentKiB();
  benchmark::AddCustomContext("rss_before_lists_kib", std::to_string(before));
  benchmark::AddCustomContext("rss_with_both_lists_kib", std::to_string(after));
  // The images are paged in as lookups reach them; reading every byte once
  // gives the most they can ever take.
  size_t sum = 0;
  for (const vyx::Dict* d : {&vyx::shared->ru, &vyx::shared->en}) {
    const vyx::DictImage& img = d->image();
    benchmark::AddCustomContext(d->lang() + "_words_stems_forms",
                                std::to_string(d->wordCount()) + " " +
                                    std::to_string(d->stemCount()) + " " +
                                    std::to_string(img.formCount()));
    benchmark::AddCustomContext(d->lang() + "_image_kib_trie_nodes_forms_kib",
                                std::to_string(img.sizeBytes() / 1024) + " " +
                                    std::to_string(img.trie().nodeCount()) + " " +
                                    std::to_string(img.forms().memoryBytes() / 1024));
    sum += vyx::touchAll(img);
  }
  benchmark::AddCustomContext(
      "rss_with_every_page_of_both_lists_kib",
      std::to_string(vyx::residentKiB()) + " (checksum " + std::to_string(sum % 1000) + ")");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
