// config_race: a person saves config.yaml by hand while the menu's
// «Не исправлять в текущем приложении» saves it, again and again, and what
// became of each hand edit.
//
//   config_race [--races 100] [--max-rounds 20000] [--seed 1] [--kind both|rename|in-place]
//
// In each round the menu excludes a new application (AddExcludedApp, then
// SaveConfig, as the menu does) while, at a random moment 0 to 12 ms after
// the save began, the person's editor adds a line with an application of its
// own to the file as it is then. Two kinds of editor:
//   rename    writes its own temporary file and renames it over config.yaml;
//   in-place  truncates config.yaml and writes it in two pieces, with pauses
//             of up to 1 ms after the truncation and between the pieces.
// A round is a race when the editor's change reached the file while the save
// ran; rounds go on until --races races of each kind were seen. After each
// round the file must hold every application the person ever wrote there and
// every one whose save was reported done. A save that reports failure may
// leave its own application out; it must leave the person's file alone.
// Prints each loss and a summary per kind; exits 1 when any hand edit was
// lost. Not a test: the rounds that race vary a little from run to run.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "soak_options.h"
#include "store/config.h"

namespace vyx::soak {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;

constexpr const char* kUsage =
    "usage: config_race [--races N] [--max-rounds N] [--seed N] [--kind both|rename|in-place]\n";
constexpr int kPersonsApps = 10;

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n <= 0) throw std::runtime_error("write failed");
    data.remove_prefix(static_cast<size_t>(n));
  }
}

// The applications a settings text excludes; nothing when it does not load.
std::optional<std::set<std::string>> appsIn(const std::string& text) {
  Config c;
  if (!decodeConfig(text, c)) return std::nullopt;
  return std::set<std::string>(c.ExcludedApps.begin(), c.ExcludedApps.end());
}

struct Edit {
  std::string seen;           // the file as the editor read it
  Clock::time_point reached;  // when its change first showed in the file
  Clock::time_point done;
};

class Editor final {
 public:
  Editor(std::string path, bool inPlace, std::mt19937& rng)
      : path_(std::move(path)), inPlace_(inPlace), rng_(rng) {}

  // Adds a line for app to the file as it is now; the list is the file's
  // last key, as the program writes it.
  Edit add(const std::string& app) {
    Edit e{};
    e.seen = readAll(path_);
    const std::string text = e.seen + "    - " + app + "\n";
    if (inPlace_) {
      e.reached = Clock::now();
      const int fd = ::open(path_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
      if (fd < 0) throw std::runtime_error("open " + path_ + " failed");
      const size_t half = text.size() / 2;
      std::this_thread::sleep_for(microseconds(pause_(rng_)));
      writeAll(fd, std::string_view(text).substr(0, half));
      std::this_thread::sleep_for(microseconds(pause_(rng_)));
      writeAll(fd, std::string_view(text).substr(half));
      ::close(fd);
    } else {
      const std::string tmp = path_ + ".edit~";
      std::ofstream(tmp, std::ios::binary | std::ios::trunc) << text;
      e.reached = Clock::now();
      std::filesystem::rename(tmp, path_);
    }
    e.done = Clock::now();
    return e;
  }

 private:
  std::string path_;
  bool inPlace_;
  std::mt19937& rng_;
  std::uniform_int_distribution<int> pause_{0, 1000};
};

struct Tally {
  long rounds = 0;
  long races = 0;
  long lostEdits = 0;    // rounds after which an application of the person's was missing
  long lostEntries = 0;  // the person's applications missing, over all those rounds
  long lostMenu = 0;     // menu applications missing after a save reported done
  long staleEditor = 0;  // of those, dropped by an editor that read the file before the save
  long refused = 0;      // saves that reported failure
  long keptCopies = 0;   // files kept aside as not loading
};

long countKeptCopies(const std::string& dir) {
  long n = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    if (e.path().filename().string().find(".corrupt") != std::string::npos) {
      ++n;
      std::filesystem::remove(e.path());
    }
  }
  return n;
}

Tally race(const Options& opt, bool inPlace, std::mt19937& rng) {
  char tmpl[] = "/tmp/vyx-config-race-XXXXXX";
  if (::mkdtemp(tmpl) == nullptr) throw std::runtime_error("mkdtemp failed");
  const std::string dir = tmpl;
  ::setenv("VYX_CONFIG_DIR", dir.c_str(), 1);  // NOLINT(concurrency-mt-unsafe): no thread runs yet
  const std::string path = dir + "/config.yaml";
  std::set<std::string> persons;
  std::string yaml = "enabled: true\nprimary_language: ru\nmin_word_length: 2\nexcluded_apps:\n";
  for (int i = 0; i < kPersonsApps; ++i) {
    const std::string app = "com.person.app" + std::to_string(i) + ".x";
    persons.insert(app);
    yaml += "    - " + app + "\n";
  }
  std::ofstream(path) << yaml;
  LoadedConfig loaded = LoadConfig();
  if (loaded.error) throw std::runtime_error("the first file does not load");
  Config& config = *loaded.config;
  std::set<std::string> menus;
  Editor editor(path, inPlace, rng);
  std::uniform_int_distribution<int> offset(0, 12000);
  Tally t;
  for (long round = 0; t.races < opt.number("races") && round < opt.number("max-rounds"); ++round) {
    // Of one width, so that no name contains another.
    char number[24];
    std::snprintf(number, sizeof number, "%06ld", round);
    const std::string hand = std::string("com.hand.app") + number;
    const std::string menu = std::string("com.menu.app") + number;
    if (!config.AddExcludedApp(menu)) throw std::runtime_error("menu app not added");
    const Clock::time_point start = Clock::now();
    const Clock::time_point editAt = start + microseconds(offset(rng));
    Edit edit{};
    std::thread person([&] {
      std::this_thread::sleep_until(editAt);
      edit = editor.add(hand);
    });
    const auto saved = SaveConfig(config);
    const Clock::time_point end = Clock::now();
    person.join();
    ++t.rounds;
    if (edit.reached < end && edit.done > start) ++t.races;
    persons.insert(hand);
    if (saved.ok()) {
      menus.insert(menu);
    } else {
      ++t.refused;
    }
    t.keptCopies += countKeptCopies(dir);

    const std::optional<std::set<std::string>> now = appsIn(readAll(path));
    if (!now) {
      std::printf("round %ld: config.yaml does not load afterwards\n", round);
      ++t.lostEdits;
      t.lostEntries += static_cast<long>(persons.size());
      break;
    }
    long missing = 0;
    for (auto it = persons.begin(); it != persons.end();) {
      if (now->contains(*it)) {
        ++it;
        continue;
      }
      ++missing;
      it = persons.erase(it);  // counted once
    }
    if (missing > 0) {
      ++t.lostEdits;
      t.lostEntries += missing;
      std::printf(
          "round %ld: %ld of the person's applications lost (edit %+lld us after the "
          "save began, save took %lld us, %s)\n",
          round, missing,
          static_cast<long long>(
              std::chrono::duration_cast<microseconds>(edit.reached - start).count()),
          static_cast<long long>(std::chrono::duration_cast<microseconds>(end - start).count()),
          saved.ok() ? "reported saved" : "reported not saved");
    }
    const std::set<std::string> seen = appsIn(edit.seen).value_or(std::set<std::string>{});
    for (auto it = menus.begin(); it != menus.end();) {
      if (now->contains(*it)) {
        ++it;
        continue;
      }
      // An editor that read the file before the save wrote it drops what
      // the save added, as any stale buffer would.
      if (!seen.contains(*it)) {
        ++t.staleEditor;
      } else {
        std::printf("round %ld: menu application %s lost after its save was reported done\n", round,
                    it->c_str());
      }
      ++t.lostMenu;
      it = menus.erase(it);
    }
  }
  std::filesystem::remove_all(dir);
  return t;
}

int run(const Options& opt) {
  std::mt19937 rng(static_cast<uint32_t>(opt.number("seed")));
  const std::string kind = opt.text("kind");
  long lost = 0;
  for (const bool inPlace : {false, true}) {
    const char* name = inPlace ? "in-place" : "rename";
    if (kind != "both" && kind != name) continue;
    const Tally t = race(opt, inPlace, rng);
    std::printf(
        "%s: %ld races in %ld rounds; hand edits lost in %ld rounds (%ld applications); menu "
        "applications missing after a save reported done %ld (%ld of them dropped by an editor's "
        "stale copy); saves reported not done %ld; files kept aside %ld\n",
        name, t.races, t.rounds, t.lostEdits, t.lostEntries, t.lostMenu, t.staleEditor, t.refused,
        t.keptCopies);
    lost += t.lostEdits;
  }
  return lost == 0 ? 0 : 1;
}

}  // namespace
}  // namespace vyx::soak

int main(int argc, char** argv) {
  const vyx::soak::Options options(
      argc, argv, {{"races", "100"}, {"max-rounds", "20000"}, {"seed", "1"}, {"kind", "both"}},
      vyx::soak::kUsage);
  return vyx::soak::runReporting(vyx::soak::run, options);
}
