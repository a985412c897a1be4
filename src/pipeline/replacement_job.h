// One queued replacement and the user input held while replacements run.
#pragma once

#include <cstdint>
#include <string>

#include "log/clock.h"

namespace vyx {

enum class replacementJobKind : uint8_t {
  jobKindFix = 0,        // erase a word and type its conversion
  jobKindUndo = 1,       // Cmd+Z: erase the conversion, type the word as typed, learn it
  jobKindSelection = 2,  // Cmd+Shift+X: convert the selected text
};
using enum replacementJobKind;

struct replacementJob {
  int64_t deleteChars = 0;  // code points to erase before typing
  std::string text;         // what to type
  char32_t boundary = 0;    // the swallowed boundary: kEnterBoundary for Return/Enter, 0 for none
  uint16_t keycode = 0;     // the swallowed Return/Enter key (Enter jobs only)
  int64_t flags = 0;        // its modifier flags (Enter jobs only)
  std::string word;         // the word as the user typed it
  std::string app;          // bundle identifier of the application it was typed in
  replacementJobKind kind = jobKindFix;
  uint64_t generation = 0;  // stamped by enqueueReplacement, never by the maker
  uint64_t seq = 0;         // tells jobs apart; stamped by enqueueReplacement too
};

enum class deferredInputKind : uint8_t { deferredKindKey = 0, deferredKindMouse = 1 };
using enum deferredInputKind;

struct deferredKey {
  uint16_t keycode = 0;
  char32_t ch = 0;
  int64_t flags = 0;
  std::u16string text;       // all the key gave (ch is its first unit); may be empty
  std::string app;           // the application in front when the key was held
  MonoTime at;               // when it was held: replay decides with this time
  bool passthrough = false;  // a modifier already delivered; replayed to the pipeline only
  bool passed = false;       // reached the application although swallowed: never posted again
};

struct deferredMouse {
  uint64_t token = 0;  // the held copy of the event, owned until replayed
  int64_t eventType = 0;
};

struct deferredInput {
  deferredInputKind kind = deferredKindKey;
  uint64_t seq = 0;  // numbered as held
  deferredKey key;
  deferredMouse mouse;
};

}  // namespace vyx
