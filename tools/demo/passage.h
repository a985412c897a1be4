// What the demo types: the built-in passage, or the person's own lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "os/events.h"

namespace vyx::demo {

// A key pressed after a step's text: a chord, or a modifier tapped alone.
struct KeyAction {
  uint16_t keycode = 0;
  os::EventFlags modifiers = 0;
  bool modifierTap = false;
};

// One thing the person does: types an intended text, then presses keys. A
// caption starts a new line of the live view and says what comes.
struct Step {
  std::string caption;  // empty: goes on on the same line
  std::string text;     // typed as a person who does not look at the source
  std::vector<KeyAction> keys;
};

// Russian and English mixed, with punctuation, a word converted with Shift
// twice, and a correction taken back with Cmd+Z and learned.
[[nodiscard]] std::vector<Step> builtInPassage();
// One step per line of the text, Return typed between the lines.
[[nodiscard]] std::vector<Step> linesOf(const std::string& text);

}  // namespace vyx::demo
