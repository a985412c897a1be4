// permission_flips: the person switches vyx off in System Settings at a
// random moment while typing a word on the wrong layout and the key after it,
// types on, and switches it on again; and how each run ends. Right is: every
// key typed after the switch reached TextEdit, in order, within the second a
// Mac's window server waits for a tap ("fast"); the hook came back within 5 s
// of the grant ("back"). Whatever vyx held at the switch may be dropped (it
// says so in its log), so the text before the keys typed after it is not
// judged.
//
//   permission_flips [--runs 100] [--max-delay 300] [--key-delay 30] [--binary PATH]
//
// One vyx for every run. Each run: TextEdit in front with "x " and the U.S.
// source; "ghbdtn k" is typed while another connection takes the permission
// away after 0 to --max-delay ms; then " ok." is typed, the permission given
// back, and the tap waited for. Prints every wrong run and a summary. Not a
// test: where the switch lands depends on the machine's load.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>

#include "e2e/desk.h"
#include "soak_options.h"

namespace vyx::soak {
namespace {

using std::chrono::milliseconds;

constexpr const char* kUsage =
    "usage: permission_flips [--runs N] [--max-delay MS] [--key-delay MS] [--binary PATH]\n";
constexpr const char* kTextEdit = "com.apple.TextEdit";
constexpr const char* kAfter = " ok.";  // on whichever source is selected
constexpr auto kPatience = std::chrono::seconds(1);

struct Tally {
  long right = 0;
  long slow = 0;       // a key typed after the switch waited a second or more
  long lost = 0;       // a key typed after the switch is missing or out of order
  long notBack = 0;    // no enabled tap within 5 s of the grant
  long dropLines = 0;  // runs in which vyx told of held input it dropped
};

int run(const Options& opt) {
  testing::VyxLaunch launch{.trusted = true};
  if (!opt.text("binary").empty()) launch.binary = opt.text("binary");
  testing::Desk desk(launch);
  os::sim::DesktopClient& desktop = desk.desktop();
  os::sim::DesktopClient settings = desk.vyx().connect();  // the person in System Settings
  const long runs = opt.number("runs");
  const long maxDelay = opt.number("max-delay");
  const long keyDelay = opt.number("key-delay");
  std::mt19937 rng(1);
  Tally tally;
  size_t dropsLogged = 0;
  for (long i = 0; i < runs; ++i) {
    desk.activate(kTextEdit);
    desktop.setField(kTextEdit, {.text = "x ", .caret = 2});
    desktop.selectInputSource(testing::kUS);
    desktop.clickAtCaret(2);
    desk.settle();
    const auto delay = milliseconds(rng() % (maxDelay + 1));
    int64_t switchedOff = 0;
    std::thread person([&] {
      std::this_thread::sleep_for(delay);
      switchedOff = os::sim::nanosSinceEpoch(std::chrono::steady_clock::now());
      settings.setTrusted(false);
    });
    const os::sim::TypeOptions typing{.keyDelay = milliseconds(keyDelay),
                                      .jitter = milliseconds(keyDelay / 3),
                                      .seed = static_cast<uint32_t>(i + 1)};
    (void)desktop.typeAsPerson("ghbdtn k", typing);
    person.join();
    (void)desktop.typeAsPerson(kAfter, typing);
    desk.settle();

    // The keys pressed after the switch, and those of them that arrived: the
    // text a key gives follows the source the correction may have selected.
    const auto keysAfter = [&](const std::vector<os::sim::Arrival>& events) {
      std::vector<uint16_t> keys;
      for (const os::sim::Arrival& a : events) {
        if (a.userData == 0 && a.postedNs >= switchedOff && a.type == os::kEventKeyDown) {
          keys.push_back(a.keycode);
        }
      }
      return keys;
    };
    bool slow = false;
    for (const os::sim::Arrival& a : desktop.arrivals(kTextEdit)) {
      if (a.userData != 0 || a.postedNs < switchedOff || a.type != os::kEventKeyDown) continue;
      slow = slow || std::chrono::nanoseconds(a.arrivedNs - a.postedNs) >= kPatience;
    }
    const std::string text = desktop.text(kTextEdit);
    const bool lost = keysAfter(desktop.arrivals(kTextEdit)) != keysAfter(desktop.personPosts());
    desktop.setTrusted(true);
    const bool back = testing::waitForEnabledTap(desktop, std::chrono::seconds(5));
    desk.settle();
    desktop.clearRecords();

    const std::vector<std::string> log = desk.vyx().logMessages();
    size_t drops = 0;
    for (const std::string& line : log) {
      drops += line.rfind("Held input dropped", 0) == 0 ? 1 : 0;
    }
    tally.dropLines += drops > dropsLogged ? 1 : 0;
    dropsLogged = drops;
    tally.slow += slow ? 1 : 0;
    tally.lost += lost ? 1 : 0;
    tally.notBack += back ? 0 : 1;
    if (!slow && !lost && back) {
      ++tally.right;
    } else {
      std::printf("run %ld, switched off after %ld ms: \"%s\"%s%s%s\n", i,
                  static_cast<long>(delay.count()), text.c_str(), slow ? " slow" : "",
                  lost ? " lost" : "", back ? "" : " not back");
    }
  }
  std::printf(
      "summary: %ld runs, switched off 0-%ld ms into \"ghbdtn k\": right %ld, slow %ld, lost %ld, "
      "not back %ld; held input dropped and told in %ld\n",
      runs, maxDelay, tally.right, tally.slow, tally.lost, tally.notBack, tally.dropLines);
  return tally.right == runs ? 0 : 1;
}

}  // namespace
}  // namespace vyx::soak

int main(int argc, char** argv) {
  const vyx::soak::Options options(
      argc, argv, {{"runs", "100"}, {"max-delay", "300"}, {"key-delay", "30"}, {"binary", ""}},
      vyx::soak::kUsage);
  return vyx::soak::runReporting(vyx::soak::run, options);
}
