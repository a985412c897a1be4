// vyx_demo: Vyx's main job, shown. Starts vyx on its simulated desktop with
// a fresh configuration directory, brings it to ready as a person would, and
// types as a person who forgot to switch the layout, showing the text field,
// the input source and the menu bar icon as they change; then quits through
// the menu and prints vyx's log. With --quiet it prints only the text field's
// final content, exactly.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "demo_options.h"
#include "demo_session.h"
#include "live_view.h"
#include "passage.h"

namespace vyx::demo {
namespace {

// The lines of standard input when it is not a terminal; none when it is or
// holds nothing.
std::optional<std::string> standardInput() {
  if (::isatty(STDIN_FILENO) == 1) return std::nullopt;
  std::string text;
  std::string line;
  bool first = true;
  while (std::getline(std::cin, line)) {
    if (!first) text += '\n';
    text += line;
    first = false;
  }
  if (first) return std::nullopt;
  return text;
}

int run(const DemoOptions& options) {
  std::optional<std::string> text = options.text;
  if (!text) text = standardInput();
  const std::vector<Step> steps = text ? linesOf(*text) : builtInPassage();

  const Narrator say = [quiet = options.quiet](std::string_view line) {
    if (!quiet) std::printf("%.*s\n", static_cast<int>(line.size()), line.data());
  };
  // Quiet runs are for scripts: the permission is granted from the start,
  // which spares them the watcher's wait.
  DemoSession session(options.quiet, say);
  session.bringUp();
  if (options.startRussian) {
    session.client().selectInputSource("com.apple.keylayout.Russian");
    session.settle();
  }
  say("");

  const os::sim::TypeOptions typing{
      .keyDelay = options.keyDelay, .jitter = options.keyDelay / 4, .seed = 1};
  std::optional<LiveView> view;
  bool lineEnded = true;  // the field's current line is a new one
  for (const Step& step : steps) {
    if (!options.quiet && (lineEnded || !step.caption.empty())) {
      view.reset();
      if (!step.caption.empty()) say(step.caption);
      view.emplace(session.socketPath(), stdout);
      view->start();
    }
    if (!step.text.empty()) session.type(step.text, typing);
    for (const KeyAction& key : step.keys) session.act(key);
    lineEnded = step.text.ends_with('\n');
  }
  view.reset();

  const std::string field = session.fieldText();
  say("");
  say("TextEdit holds:");
  say(field);
  say("");
  say("You quit Vyx from its menu (Выйти). Its log:");
  session.quitFromMenu();
  if (options.quiet) {
    std::fwrite(field.data(), 1, field.size(), stdout);
  } else {
    const std::string log = session.log();
    std::fwrite(log.data(), 1, log.size(), stdout);
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace
}  // namespace vyx::demo

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const vyx::demo::ParsedDemoArgs parsed = vyx::demo::parseDemoArgs(args);
  if (!parsed.options) {
    std::fputs(parsed.message.c_str(), parsed.error ? stderr : stdout);
    return parsed.error ? 2 : 0;
  }
  try {
    return vyx::demo::run(*parsed.options);
  } catch (const vyx::demo::DemoError& e) {
    std::fprintf(stderr, "demo: %s\n", e.what());
  } catch (const vyx::os::sim::ControlError& e) {
    std::fprintf(stderr, "demo: vyx stopped answering: %s\n", e.what());
  }
  return 1;
}
