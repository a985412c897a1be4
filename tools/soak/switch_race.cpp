// switch_race: another application comes to the front a moment after the
// Space that ends a word typed on the wrong layout, while vyx corrects it,
// and how each run ends: the word whole (corrected, or as typed), cut
// part-way, or some of the correction typed into the application now in
// front: a key vyx posted reached Notes, in a run where none of the
// person's own keys did (when the window server lags, the switch may
// overtake them, and vyx then rightly corrects what they typed in Notes).
//
//   switch_race [--runs 60] [--max-delay 80] [--binary PATH]
//
// One vyx for every run. Each run: TextEdit in front with "Hello " and the
// U.S. source, Notes behind it with "shopping list"; the person types
// "привет " on the keys of the Russian layout, so that "ghbdtn " comes out,
// and d ms after the Space is posted, Notes comes to the front; d goes
// evenly from 0 to --max-delay across the runs. Once the desktop is quiet
// both fields are read. Prints every run that did not end whole, and a
// summary. Not a test: the figures move a little from one run to the next.
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "e2e/desk.h"
#include "os/sim/utf16.h"
#include "platform/event_tap.h"
#include "soak_options.h"
#include "text/utf8.h"

namespace vyx::soak {
namespace {

using std::chrono::milliseconds;

constexpr const char* kUsage = "usage: switch_race [--runs N] [--max-delay MS] [--binary PATH]\n";
constexpr const char* kTextEdit = "com.apple.TextEdit";
constexpr const char* kNotes = "com.apple.Notes";
constexpr const char* kNotesText = "shopping list";
constexpr std::string_view kCorrected = "Hello привет ";
constexpr std::string_view kAsTyped = "Hello ghbdtn ";

struct Tally {
  long corrected = 0;      // "Hello привет", with its Space or without
  long asTyped = 0;        // "Hello ghbdtn", with its Space or without
  long spaceLost = 0;      // of those two, without the Space
  long cut = 0;            // anything else in TextEdit
  long wrongApp = 0;       // runs where a key vyx posted reached Notes
  long wrongKeys = 0;      // how many such keys
  long personInNotes = 0;  // runs where the switch overtook the person's own keys
};

// The key downs that reached the application, vyx's or the person's, as
// their texts ("<51>" for a key without one).
std::vector<std::string> keysIn(os::sim::DesktopClient& desktop, const std::string& app,
                                bool posted) {
  std::vector<std::string> keys;
  for (const os::sim::Arrival& a : desktop.arrivals(app)) {
    if (a.type != os::kEventKeyDown || (a.userData == syntheticEventMarker) != posted) continue;
    keys.push_back(a.keycode == 51 || a.text.empty() ? "<" + std::to_string(a.keycode) + ">"
                                                     : encodeUtf8(os::sim::fromUtf16(a.text)));
  }
  return keys;
}

int run(const Options& opt) {
  testing::VyxLaunch launch{.trusted = true};
  if (!opt.text("binary").empty()) launch.binary = opt.text("binary");
  testing::Desk desk(launch);
  os::sim::DesktopClient& desktop = desk.desktop();
  desktop.addApp(kNotes);
  const long runs = opt.number("runs");
  const long maxDelay = opt.number("max-delay");
  Tally tally;
  for (long i = 0; i < runs; ++i) {
    const long delay = runs > 1 ? (i * maxDelay + (runs - 1) / 2) / (runs - 1) : 0;
    desk.activate(kTextEdit);
    desktop.setField(kTextEdit, {.text = "Hello ", .caret = 6});
    desktop.setField(kNotes, {.text = kNotesText, .caret = 13});
    desktop.selectInputSource(testing::kUS);
    desk.settle();
    desktop.clearRecords();
    (void)desktop.typeAsPerson("привет ", {.keyDelay = milliseconds(30)});
    std::this_thread::sleep_for(milliseconds(delay));
    desktop.activate(kNotes);
    desk.settle();
    const std::string edit = desktop.text(kTextEdit);
    const std::string notes = desktop.text(kNotes);
    const std::vector<std::string> wrongKeys = keysIn(desktop, kNotes, true);
    const std::vector<std::string> personsKeys = keysIn(desktop, kNotes, false);
    std::string outcome;
    if (edit.starts_with("Hello привет") && edit.size() <= kCorrected.size()) {
      ++tally.corrected;
      tally.spaceLost += edit.size() < kCorrected.size() ? 1 : 0;
    } else if (edit.starts_with("Hello ghbdtn") && edit.size() <= kAsTyped.size()) {
      ++tally.asTyped;
      tally.spaceLost += edit.size() < kAsTyped.size() ? 1 : 0;
    } else {
      ++tally.cut;
      outcome = "cut";
    }
    if (!personsKeys.empty()) {
      // The window server was behind the person: the switch overtook some
      // of their keys, and what vyx did with those in Notes is right.
      ++tally.personInNotes;
      outcome += (outcome.empty() ? "" : ", ") + std::string("the person's keys in Notes:");
      for (const std::string& key : personsKeys) outcome += " " + key;
    } else if (!wrongKeys.empty()) {
      ++tally.wrongApp;
      tally.wrongKeys += static_cast<long>(wrongKeys.size());
      outcome += (outcome.empty() ? "" : ", ") + std::string("keys of the correction in Notes:");
      for (const std::string& key : wrongKeys) outcome += " " + key;
    }
    if (!outcome.empty()) {
      std::printf("run %ld, switch %ld ms after the Space: %s; TextEdit \"%s\", Notes \"%s\"\n", i,
                  delay, outcome.c_str(), edit.c_str(), notes.c_str());
    }
  }
  std::printf(
      "summary: %ld runs, Notes to the front 0-%ld ms after the Space: word whole %ld (corrected "
      "%ld, as typed %ld; %ld of them without the Space), cut %ld; keys of the correction in "
      "Notes in %ld runs (%ld keys); the switch overtook the person's own keys in %ld runs\n",
      runs, maxDelay, tally.corrected + tally.asTyped, tally.corrected, tally.asTyped,
      tally.spaceLost, tally.cut, tally.wrongApp, tally.wrongKeys, tally.personInNotes);
  return 0;
}

}  // namespace
}  // namespace vyx::soak

int main(int argc, char** argv) {
  const vyx::soak::Options options(
      argc, argv, {{"runs", "60"}, {"max-delay", "80"}, {"binary", ""}}, vyx::soak::kUsage);
  return vyx::soak::runReporting(vyx::soak::run, options);
}
