// timeout_race: the system gives up waiting for vyx's event tap while a word
// typed on the wrong layout is ended and the next key follows, and how each
// run ends. Right is the word corrected with the next key on the new layout
// ("x привет л"), or everything left as typed ("x ghbdtn k"); anything else
// lost, doubled or reordered a key.
//
//   timeout_race [--runs 300] [--max-timeout 4] [--key-delay 30] [--binary PATH]
//
// One vyx for every run. Each run: TextEdit in front with "x " and the U.S.
// source; the tap time-out drops to t ms (t goes round 0 to --max-timeout),
// the person types "ghbdtn k", and the time-out is back at 1 s before the
// desktop is waited for. Prints every wrong run and a summary. Not a test:
// how often a time-out lands where it hurts depends on the machine's load.
#include <chrono>
#include <cstdio>
#include <map>
#include <string>

#include "e2e/desk.h"
#include "soak_options.h"

namespace vyx::soak {
namespace {

using std::chrono::milliseconds;

constexpr const char* kUsage =
    "usage: timeout_race [--runs N] [--max-timeout MS] [--key-delay MS] [--binary PATH]\n";
constexpr const char* kTextEdit = "com.apple.TextEdit";
constexpr const char* kCorrected = "x привет л";
constexpr const char* kAsTyped = "x ghbdtn k";

int run(const Options& opt) {
  testing::VyxLaunch launch{.trusted = true};
  if (!opt.text("binary").empty()) launch.binary = opt.text("binary");
  testing::Desk desk(launch);
  os::sim::DesktopClient& desktop = desk.desktop();
  const long runs = opt.number("runs");
  const long maxTimeout = opt.number("max-timeout");
  const long keyDelay = opt.number("key-delay");
  long corrected = 0;
  long asTyped = 0;
  std::map<std::string, long> wrong;
  for (long i = 0; i < runs; ++i) {
    const long timeout = i % (maxTimeout + 1);
    desk.activate(kTextEdit);
    desktop.setField(kTextEdit, {.text = "x ", .caret = 2});
    desktop.selectInputSource(testing::kUS);
    // A click, as the person would make, so that vyx forgets the last run.
    desktop.clickAtCaret(2);
    desk.settle();
    desktop.setTapTimeout(milliseconds(timeout));
    (void)desktop.typeAsPerson("ghbdtn k", {.keyDelay = milliseconds(keyDelay),
                                            .jitter = milliseconds(keyDelay / 3),
                                            .seed = static_cast<uint32_t>(i + 1)});
    desktop.setTapTimeout(std::chrono::seconds(1));
    desk.settle();
    const std::string text = desktop.text(kTextEdit);
    if (text == kCorrected) {
      ++corrected;
    } else if (text == kAsTyped) {
      ++asTyped;
    } else {
      ++wrong[text];
      std::printf("run %ld, time-out %ld ms: \"%s\"\n", i, timeout, text.c_str());
    }
  }
  long wrongRuns = 0;
  for (const auto& [text, count] : wrong) wrongRuns += count;
  std::printf("summary: %ld runs, time-outs 0-%ld ms: corrected %ld, as typed %ld, wrong %ld\n",
              runs, maxTimeout, corrected, asTyped, wrongRuns);
  for (const auto& [text, count] : wrong) std::printf("  %ld x \"%s\"\n", count, text.c_str());
  return 0;
}

}  // namespace
}  // namespace vyx::soak

int main(int argc, char** argv) {
  const vyx::soak::Options options(
      argc, argv, {{"runs", "300"}, {"max-timeout", "4"}, {"key-delay", "30"}, {"binary", ""}},
      vyx::soak::kUsage);
  return vyx::soak::runReporting(vyx::soak::run, options);
}
