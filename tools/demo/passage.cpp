#include "passage.h"

#include "os/sim/key_codes.h"

namespace vyx::demo {

namespace key = os::sim::key;

std::vector<Step> builtInPassage() {
  const KeyAction shiftTap{key::kShift, 0, true};
  const KeyAction cmdZ{key::kZ, os::kEventFlagMaskCommand, false};
  return {
      {"Russian typed while the U.S. source is selected, its commas and full stops on the "
       "Russian keys (Shift+6, Shift+7):",
       "Привет, друг. Как дела? ",
       {}},
      {"English inside a Russian sentence:", "Скинь мне pull request сегодня вечером.\n", {}},
      {"A correction you did not want: Cmd+Z within 5 seconds puts back what you typed, and "
       "Vyx learns the word:",
       "Then type ghbdtn ",
       {cmdZ}},
      {"", "and ghbdtn stays as typed!\n", {}},
      {"A word Vyx does not know stays as typed; Shift twice converts it:",
       "Вжух",
       {shiftTap, shiftTap}},
      {"", " и готово!", {}},
  };
}

std::vector<Step> linesOf(const std::string& text) {
  std::vector<Step> steps;
  size_t start = 0;
  for (;;) {
    const size_t nl = text.find('\n', start);
    if (nl == std::string::npos) {
      steps.push_back(Step{"", text.substr(start), {}});
      return steps;
    }
    steps.push_back(Step{"", text.substr(start, nl - start + 1), {}});
    start = nl + 1;
  }
}

}  // namespace vyx::demo
