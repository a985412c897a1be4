// soak_typing: a person typing at random into the real vyx for a while, and
// what it must survive: every key reaches the application once and in order
// (shown as either layout gives it, or as vyx converted it), the desktop
// always goes quiet again, the program never reports a fault, and its
// resident memory does not grow.
//
//   soak_typing [--minutes 10] [--seed 1] [--key-delay 20] [--jitter 10]
//               [--tap-timeouts] [--binary PATH]
//
// Rounds of 5 to 40 random actions, in one of three applications (switched
// between rounds) on whichever input source the person picked; after each
// round the desktop must go quiet and every field must match what was
// pressed. With --tap-timeouts, in one round out of three the window
// server's tap time-out drops to nothing for part of the round, so that the
// system disables vyx's tap while the person types; the tap must be enabled
// again by the end of the round. Prints one line a minute (rounds, presses,
// resident memory) and a summary; exits 1 on any failure.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "field_model.h"
#include "random_person.h"
#include "soak_options.h"
#include "support/vyx_process.h"
#include "text/utf8.h"

namespace vyx::soak {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using Clock = std::chrono::steady_clock;

constexpr const char* kUsage =
    "usage: soak_typing [--minutes N] [--seed N] [--key-delay MS] [--jitter MS] [--tap-timeouts] "
    "[--binary PATH]\n";
const std::array<const char*, 3> kApps = {"com.apple.TextEdit", "com.apple.Notes",
                                          "com.example.Editor"};
const std::array<const char*, 2> kSources = {"com.apple.keylayout.US",
                                             "com.apple.keylayout.Russian"};
// Fields longer than this start again empty, so that rounds stay cheap.
constexpr size_t kFieldLimit = 400;

// Resident memory in KiB: all of it, the program's own (heap, stacks), and
// the pages of its files (code, the embedded word lists) read in so far.
struct Resident {
  int64_t total = 0;
  int64_t anon = 0;
  int64_t file = 0;
};

Resident residentOf(pid_t pid) {
  Resident r;
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);) {
    const auto value = [&] { return std::stoll(line.substr(line.find(':') + 1)); };
    if (line.rfind("VmRSS:", 0) == 0) r.total = value();
    if (line.rfind("RssAnon:", 0) == 0) r.anon = value();
    if (line.rfind("RssFile:", 0) == 0) r.file = value();
  }
  return r;
}

std::string describe(const Resident& r) {
  return std::to_string(r.total) + " KiB (own " + std::to_string(r.anon) + ", files " +
         std::to_string(r.file) + ")";
}

struct Tally {
  long rounds = 0;
  long presses = 0;
  long mismatches = 0;
  long missing = 0;         // keys the fields lacked, over every mismatch
  long extra = 0;           // characters no key accounted for
  long forcedTimeouts = 0;  // rounds that forced the time-out
  long timeoutsSeen = 0;    // the window server's count of disabled taps
  std::vector<std::pair<long, Resident>> rssByMinute;
};

// A key as the application got it: its text, or its key code in braces.
std::string keyName(const os::sim::Arrival& a) {
  std::string out;
  for (char16_t c : a.text) {
    if (c >= 0x20 && c != 0x7F) out += encodeUtf8(std::u32string(1, c));
  }
  return out.empty() || out == " " ? "{" + std::to_string(a.keycode) + "}" : out;
}

bool faultInLog(const std::string& log, std::string& what) {
  for (const char* mark : {"WARNING: ThreadSanitizer", "ERROR: AddressSanitizer",
                           "runtime error:", "PANIC", "LeakSanitizer"}) {
    if (log.find(mark) != std::string::npos) {
      what = mark;
      return true;
    }
  }
  return false;
}

// An empty field, and a click in it, as a person who starts a new document:
// what vyx remembers of the old text (an undo, a word) no longer applies.
void startAfresh(os::sim::DesktopClient& client, const char* app, FieldModel& field) {
  client.setField(app, {});
  client.clickAtCaret(0);
  field.clear();
}

bool tapEnabled(os::sim::DesktopClient& client, uint64_t& timeouts) {
  const auto deadline = Clock::now() + seconds(5);
  for (;;) {
    for (const auto& tap : client.taps()) {
      timeouts = tap.timeouts;
      if (tap.enabled) return true;
    }
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(milliseconds(5));
  }
}

int run(const Options& opt) {
  testing::VyxLaunch launch{.trusted = true};
  if (!opt.text("binary").empty()) launch.binary = opt.text("binary");
  testing::VyxProcess vyx(launch);
  if (!vyx.waitForLog("Vyx ready", seconds(60))) {
    std::fprintf(stderr, "FAIL: vyx did not start\n%s", vyx.stderrText().c_str());
    return 1;
  }
  os::sim::DesktopClient client = vyx.connect();
  if (!testing::waitForEnabledTap(client, seconds(60))) {
    std::fprintf(stderr, "FAIL: the event tap never ran\n");
    return 1;
  }
  for (size_t i = 1; i < kApps.size(); ++i) client.addApp(kApps[i]);
  client.activate(kApps[0]);

  const uint32_t seed = static_cast<uint32_t>(opt.number("seed"));
  RandomPerson person(client, seed,
                      {milliseconds(opt.number("key-delay")), milliseconds(opt.number("jitter"))});
  std::array<FieldModel, kApps.size()> fields;
  size_t front = 0;
  Tally tally;
  tally.rssByMinute.emplace_back(0, residentOf(vyx.pid()));
  std::printf("start: seed %u, resident %s\n", seed,
              describe(tally.rssByMinute.back().second).c_str());
  const auto start = Clock::now();
  const auto end = start + std::chrono::minutes(opt.number("minutes"));
  uint64_t timeouts = 0;
  while (Clock::now() < end) {
    std::mt19937& rng = person.rng();
    if (rng() % 4 == 0) {
      front = rng() % kApps.size();
      client.activate(kApps[front]);
    }
    if (rng() % 3 == 0) client.selectInputSource(kSources[rng() % kSources.size()]);
    if (fields[front].length() > kFieldLimit) startAfresh(client, kApps[front], fields[front]);
    const int actions = 5 + static_cast<int>(rng() % 36);
    const bool force = opt.flag("tap-timeouts") && rng() % 3 == 0;
    const int forceFrom = force ? static_cast<int>(rng() % actions) : actions;
    const int forceTo = forceFrom + 1 + static_cast<int>(rng() % 6);
    for (int i = 0; i < actions; ++i) {
      if (i == forceFrom) client.setTapTimeout(milliseconds(0));
      if (i == forceTo) client.setTapTimeout(seconds(1));
      tally.presses += person.act(fields[front]);
    }
    if (force) {
      client.setTapTimeout(seconds(1));
      ++tally.forcedTimeouts;
    }
    ++tally.rounds;

    if (!client.waitIdle(seconds(60), milliseconds(50))) {
      std::fprintf(stderr, "FAIL: round %ld: the desktop did not go quiet (a deadlock?)\n",
                   tally.rounds);
      return 1;
    }
    if (!tapEnabled(client, timeouts)) {
      std::fprintf(stderr, "FAIL: round %ld: the tap stayed disabled\n", tally.rounds);
      return 1;
    }
    tally.timeoutsSeen = static_cast<long>(timeouts);
    const os::sim::FieldState shown = client.field(kApps[front]);
    if (auto diff = fields[front].compare(shown)) {
      ++tally.mismatches;
      const auto [missing, extra] = fields[front].missingAndExtra(shown);
      tally.missing += static_cast<long>(missing);
      tally.extra += static_cast<long>(extra);
      std::fprintf(stderr, "MISMATCH round %ld in %s: %s\n  actions:", tally.rounds, kApps[front],
                   diff->c_str());
      for (const std::string& a : person.log()) std::fprintf(stderr, " [%s]", a.c_str());
      std::fprintf(stderr, "\n  arrived (* the program's):");
      for (const os::sim::Arrival& a : client.arrivals(kApps[front])) {
        if (a.type == os::kEventKeyDown)
          std::fprintf(stderr, " %s%s", a.userData != 0 ? "*" : "", keyName(a).c_str());
        if (a.type == os::kEventLeftMouseDown)
          std::fprintf(stderr, " %sclick", a.userData != 0 ? "*" : "");
      }
      std::fprintf(stderr, "\n");
      startAfresh(client, kApps[front], fields[front]);
    }
    person.log().clear();
    client.clearRecords();
    std::string fault;
    if (faultInLog(vyx.stderrText(), fault)) {
      std::fprintf(stderr, "FAIL: round %ld: \"%s\" in the log\n%s", tally.rounds, fault.c_str(),
                   vyx.stderrText().c_str());
      return 1;
    }
    const long minute =
        std::chrono::duration_cast<std::chrono::minutes>(Clock::now() - start).count();
    if (minute > tally.rssByMinute.back().first) {
      tally.rssByMinute.emplace_back(minute, residentOf(vyx.pid()));
      std::printf("minute %ld: %ld rounds, %ld presses, %ld mismatches, resident %s\n", minute,
                  tally.rounds, tally.presses, tally.mismatches,
                  describe(tally.rssByMinute.back().second).c_str());
      std::fflush(stdout);
    }
  }
  const Resident atEnd = residentOf(vyx.pid());
  // What vyx holds of the desktop's objects once quiet: nothing it forgot to release.
  const int64_t liveEvents = client.call("liveProgramEvents").at("count");
  const int64_t liveSources = client.call("liveInputSourceObjects").at("count");
  vyx.sendSignal(SIGTERM);
  const std::optional<int> status = vyx.waitExit(seconds(30));
  std::string metrics;
  for (const std::string& line : vyx.logMessages()) {
    if (line.rfind("metrics:", 0) == 0) metrics = line;
  }
  std::string fault;
  const bool faulted = faultInLog(vyx.stderrText(), fault);
  std::printf(
      "summary: %ld rounds, %ld presses, %ld rounds whose field was not as pressed (%ld keys "
      "missing or out of place, %ld characters extra); %ld rounds forced the tap time-out, the "
      "window server disabled the tap %ld times and it came back each time; resident after "
      "start-up %s, after the first minute %s, at the end %s; events and input sources vyx "
      "holds at the end: %lld, %lld; exit %s; %s\n",
      tally.rounds, tally.presses, tally.mismatches, tally.missing, tally.extra,
      tally.forcedTimeouts, tally.timeoutsSeen, describe(tally.rssByMinute.front().second).c_str(),
      describe(tally.rssByMinute.size() > 1 ? tally.rssByMinute[1].second : Resident{}).c_str(),
      describe(atEnd).c_str(), static_cast<long long>(liveEvents),
      static_cast<long long>(liveSources), status ? std::to_string(*status).c_str() : "none",
      metrics.c_str());
  if (faulted) std::printf("FAIL: \"%s\" in the log\n%s", fault.c_str(), vyx.stderrText().c_str());
  // With the tap forced off now and then, keys typed meanwhile pass vyx by,
  // as on a Mac: where they land is reported, not held against it.
  const bool keysAsPressed = tally.mismatches == 0 || opt.flag("tap-timeouts");
  return keysAsPressed && status == 0 && !faulted && liveEvents == 0 && liveSources == 0 ? 0 : 1;
}

}  // namespace
}  // namespace vyx::soak

int main(int argc, char** argv) {
  const vyx::soak::Options options(argc, argv,
                                   {{"minutes", "10"},
                                    {"seed", "1"},
                                    {"key-delay", "20"},
                                    {"jitter", "10"},
                                    {"tap-timeouts", "off"},
                                    {"binary", ""}},
                                   vyx::soak::kUsage);
  return vyx::soak::runReporting(vyx::soak::run, options);
}
