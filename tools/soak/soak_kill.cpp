// soak_kill: vyx killed with SIGKILL again and again while it learns an
// exception, and what must hold each time: exceptions.json is either the
// file as it was before the lesson or the file with the lesson added, never
// anything in between.
//
//   soak_kill [--runs 300] [--entries 20000] [--seed 1] [--binary PATH]
//
// One configuration directory for every run, its exceptions.json seeded
// with --entries entries so that each save takes a while. Each run starts
// vyx, types a Russian word on the U.S. source in a new application, waits
// for its correction, presses Cmd+Z (vyx learns the word as typed and saves
// the store 200 ms later) and kills vyx: in every other run at a random
// moment up to 600 ms after the Cmd+Z, in the others within 3 ms of the
// moment the save's temporary file appears. The file is then read as JSON and
// compared with the file before the run. Exits 1 on the first torn file.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <thread>

#include "soak_options.h"
#include "support/temp_dir.h"
#include "support/vyx_process.h"

namespace vyx::soak {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using Entries = std::set<std::pair<std::string, std::string>>;

constexpr const char* kUsage =
    "usage: soak_kill [--runs N] [--entries N] [--seed N] [--binary PATH]\n";
constexpr uint16_t kZ = 6;
const std::array<const char*, 12> kWords = {"привет",  "работа", "человек", "спасибо",
                                            "сегодня", "погода", "вечером", "помощь",
                                            "встреча", "хорошо", "быстро",  "письмо"};

using testing::readFile;

// The (app, word) pairs of the file, or nothing when it is not whole JSON
// of the exceptions' shape.
std::optional<Entries> entriesOf(const std::string& text) {
  const nlohmann::json doc = nlohmann::json::parse(text, nullptr, false);
  if (doc.is_discarded() || !doc.is_object() || !doc.contains("entries") ||
      !doc.at("entries").is_array()) {
    return std::nullopt;
  }
  Entries out;
  for (const auto& e : doc.at("entries")) {
    if (!e.is_object() || !e.contains("app") || !e.contains("word")) return std::nullopt;
    out.emplace(e.at("app").get<std::string>(), e.at("word").get<std::string>());
  }
  return out;
}

void seed(const std::string& path, long entries) {
  nlohmann::json doc{{"version", 1}, {"updated", "2026-12-01T00:00:00Z"}};
  doc["entries"] = nlohmann::json::array();
  for (long i = 0; i < entries; ++i) {
    // Counted twice and recent, so the store's pruning keeps them.
    doc["entries"].push_back({{"app", "com.example.seed"},
                              {"word", "seedword" + std::to_string(i)},
                              {"added", "2026-12-01T00:00:00Z"},
                              {"hit_count", 2}});
  }
  std::ofstream(path) << doc.dump(2);
}

struct Tally {
  long runs = 0;
  long old = 0;           // the file as before the run
  long learned = 0;       // the file with the lesson
  long savesCut = 0;      // a temporary file was left: killed while saving
  long notCorrected = 0;  // runs killed before the lesson (no correction seen)
};

int run(const Options& opt) {
  testing::TempDir dir;
  const std::string config = dir.file("config");
  std::filesystem::create_directories(config);
  const std::string file = config + "/exceptions.json";
  seed(file, opt.number("entries"));
  std::mt19937 rng(static_cast<uint32_t>(opt.number("seed")));
  std::uniform_int_distribution<int> killAfter(0, 600);
  std::uniform_int_distribution<int> killWithin(0, 3000);
  Tally tally;
  for (long i = 0; i < opt.number("runs"); ++i) {
    const std::string before = readFile(file);
    const std::optional<Entries> beforeEntries = entriesOf(before);
    if (!beforeEntries) {
      std::fprintf(stderr, "FAIL: run %ld: the file before it is not whole\n", i);
      return 1;
    }
    std::filesystem::remove(file + ".tmp");
    testing::VyxLaunch launch{.trusted = true, .configDir = config};
    if (!opt.text("binary").empty()) launch.binary = opt.text("binary");
    testing::VyxProcess vyx(launch);
    if (!vyx.waitForLog("Vyx ready", seconds(60))) {
      std::fprintf(stderr, "FAIL: run %ld: vyx did not start\n%s", i, vyx.stderrText().c_str());
      return 1;
    }
    os::sim::DesktopClient client = vyx.connect();
    if (!testing::waitForEnabledTap(client, seconds(30))) {
      std::fprintf(stderr, "FAIL: run %ld: the event tap never ran\n", i);
      return 1;
    }
    const std::string app = "com.example.app" + std::to_string(i);
    client.activate(app);
    // A person types a moment after the click, once vyx has heard of the
    // switch; keys typed before that count for the application before.
    (void)client.waitIdle(seconds(10), milliseconds(20));
    const std::string word = kWords[static_cast<size_t>(i) % kWords.size()];
    client.typeAsPerson(word + " ", {.keyDelay = milliseconds(10)});
    if (!client.waitIdle(seconds(10), milliseconds(20)) || client.text(app) != word + " ") {
      ++tally.notCorrected;
      std::fprintf(stderr, "run %ld: the field reads \"%s\" before the Cmd+Z\n", i,
                   client.text(app).c_str());
    }
    client.press(kZ, os::kEventFlagMaskCommand);
    if (i % 2 == 0) {
      std::this_thread::sleep_for(milliseconds(killAfter(rng)));
    } else {
      // In the middle of the save: once its temporary file shows.
      const auto deadline = std::chrono::steady_clock::now() + seconds(2);
      while (!std::filesystem::exists(file + ".tmp") &&
             std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::microseconds(100));
      }
      std::this_thread::sleep_for(std::chrono::microseconds(killWithin(rng)));
    }
    vyx.sendSignal(SIGKILL);
    (void)vyx.waitExit(seconds(10));
    ++tally.runs;

    const std::string after = readFile(file);
    if (std::filesystem::exists(file + ".tmp")) ++tally.savesCut;
    if (after == before) {
      ++tally.old;
      continue;
    }
    const std::optional<Entries> afterEntries = entriesOf(after);
    Entries expected = *beforeEntries;
    if (afterEntries) {
      // The lesson is the word as it came out on the U.S. layout.
      for (const auto& e : *afterEntries) {
        if (!beforeEntries->contains(e) && e.first == app) expected.insert(e);
      }
    }
    if (!afterEntries || *afterEntries != expected ||
        expected.size() != beforeEntries->size() + 1) {
      std::fprintf(stderr,
                   "FAIL: run %ld: exceptions.json is neither the old file nor the old one with "
                   "the lesson (%zu bytes, %s)\n",
                   i, after.size(), afterEntries ? "whole JSON" : "not whole JSON");
      return 1;
    }
    ++tally.learned;
  }
  std::printf(
      "summary: %ld kills; exceptions.json afterwards the old file %ld times, the old file with "
      "the lesson %ld times, torn 0 times; %ld kills left the temporary file of a save cut "
      "short; %ld runs were killed before their correction showed\n",
      tally.runs, tally.old, tally.learned, tally.savesCut, tally.notCorrected);
  return 0;
}

}  // namespace
}  // namespace vyx::soak

int main(int argc, char** argv) {
  const vyx::soak::Options options(
      argc, argv, {{"runs", "300"}, {"entries", "20000"}, {"seed", "1"}, {"binary", ""}},
      vyx::soak::kUsage);
  return vyx::soak::runReporting(vyx::soak::run, options);
}
