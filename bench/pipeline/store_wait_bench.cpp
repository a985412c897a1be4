// How long a word end waits for a large exception store while it is learned
// into and saved. The store starts with n entries (loaded from its file, all
// learned recently with one hit, so pruning keeps them); a learner thread adds
// a new word every 2 ms, as undo learning would, and the saver runs 1 ms
// after each change, so it copies the store almost without pause. Meanwhile
// the tap's side runs the skip rules on a word end every 100 µs (hits and
// misses in turn) and learns by retyping every 20th word. Reported: the
// longest and the p99 wait of a word end and of a retype learning, and the
// number of saves that overlapped them. With the second argument 0 nothing
// is learned or saved meanwhile: the same figures then show what the
// machine itself adds (a busy machine preempts the timed thread).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "pipeline/skip_rules.h"
#include "store/exceptions_file.h"

namespace vyx {
namespace {

using Micros = std::chrono::duration<double, std::micro>;
constexpr const char* kApp = "com.apple.TextEdit";

std::string wordNo(size_t i) {
  return "ckjdj" + std::to_string(i);
}

// A configuration directory holding exceptions.json with n entries.
std::string makeConfigDir(size_t n) {
  char tmpl[] = "/tmp/vyx-bench-store-XXXXXX";
  const std::string dir = ::mkdtemp(tmpl);
  ExceptionsFile file;
  file.Version = 1;
  const WallTime yesterday =
      addDuration(wallTimeUtc(std::chrono::system_clock::now()), -std::chrono::hours(24));
  file.Updated = yesterday;
  for (size_t i = 0; i < n; ++i) {
    file.Entries.push_back(Exception{i % 2 == 0 ? kApp : "*", wordNo(i), yesterday, 1});
  }
  std::ofstream(dir + "/exceptions.json") << encodeExceptionsFile(file).value();
  return dir;
}

void reportWaits(benchmark::State& state, const char* name, std::vector<double>& us) {
  if (us.empty()) return;
  std::sort(us.begin(), us.end());
  state.counters[std::string(name) + "_p99_us"] =
      us[static_cast<size_t>(0.99 * static_cast<double>(us.size() - 1))];
  state.counters[std::string(name) + "_max_us"] = us.back();
}

void BM_WordEndWhileStoreSaves(benchmark::State& state) {
  const auto n = static_cast<size_t>(state.range(0));
  const std::string dir = makeConfigDir(n);
  ::setenv("VYX_CONFIG_DIR", dir.c_str(), 1);
  std::atomic<int> saves{0};
  ExceptionStoreOptions options;
  options.saveDelay = std::chrono::milliseconds(1);
  options.onSaved = [&](const Status&) { saves.fetch_add(1); };
  std::shared_ptr<ExceptionStore> store = std::move(NewExceptionStore(std::move(options))).value();
  const Config cfg;
  const std::function<std::string()> frontmost = [] { return std::string(kApp); };

  std::vector<double> wordEndUs;
  std::vector<double> addUs;
  for (auto _ : state) {
    std::atomic<bool> stop{false};
    std::thread learner([&] {
      for (size_t i = 0; state.range(1) != 0 && !stop.load(); ++i) {
        (void)store->Add(kApp, "learned" + std::to_string(i));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    });
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (size_t i = 0; std::chrono::steady_clock::now() < end; ++i) {
      // Even words are stored (every other one for all applications).
      const std::string word = wordNo(i % 2 == 0 ? (i * 7919) % n : n + i);
      const auto t0 = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(
          shouldSkipWordReasonWithFrontmost(cfg, store.get(), word, frontmost));
      const auto t1 = std::chrono::steady_clock::now();
      wordEndUs.push_back(Micros(t1 - t0).count());
      if (i % 20 == 0 && state.range(1) != 0) {
        const auto t2 = std::chrono::steady_clock::now();
        (void)store->Add(kApp, "retyped" + std::to_string(i));
        addUs.push_back(Micros(std::chrono::steady_clock::now() - t2).count());
      }
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    stop.store(true);
    learner.join();
  }
  store->Close();
  store.reset();
  ::unsetenv("VYX_CONFIG_DIR");
  std::filesystem::remove_all(dir);
  state.counters["word_ends"] = static_cast<double>(wordEndUs.size());
  state.counters["saves"] = saves.load();
  reportWaits(state, "wordend", wordEndUs);
  reportWaits(state, "retype_add", addUs);
}
BENCHMARK(BM_WordEndWhileStoreSaves)
    ->Args({10000, 1})
    ->Args({100000, 1})
    ->Args({10000, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
}  // namespace vyx
