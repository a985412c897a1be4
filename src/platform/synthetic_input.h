// Everything the program types or clicks: single marked presses posted at
// the HID level, and the App's output operations built on them (the
// erase-and-retype of a correction, the boundary and Enter keys, the replay
// of held keys and mouse events).
//
// The App's operations (replaceText to releaseMouseEvent) return only once
// the event tap has seen what they posted (own_events.h), so that input the
// person typed before it is still held back when the tap reaches it.
//
// Threads: the replacement worker only. Nothing here takes a lock; each press
// makes and frees its own event source, and counts itself in own_events.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "log/error.h"
#include "pipeline/selection_convert.h"

namespace vyx {

// One press each: key-down then key-up, both marked as the program's own.
// A correction's erase is made of the first; the tests press it alone.
void sendBackspace();
void sendCmdC();
void sendCmdV();

// A real sleep of the calling thread.
void sleepPause(std::chrono::milliseconds duration);

// Erases deleteCount characters, types text one key press per character,
// selects the input source of its script. Each press is followed by a 5 ms
// pause, the erase by 10 ms more, the switch by 30 ms. The keys are meant
// for app ("": whichever application is in front at the start); before
// each, the workspace is asked, and once another application is in front,
// or the permission to post is gone, nothing more is posted and no source
// selected: the stop is logged with what had been done, and reported as the
// one failure.
Status replaceText(int64_t deleteCount, const std::string& text, const std::string& app,
                   const Pause& pause);
Status replaceText(int64_t deleteCount, const std::string& text, const std::string& app);
void sendChar(char32_t ch);
// Return or Enter again, by key code and flags and without text.
void sendEnter(uint16_t keycode, int64_t flags);
// A held key again: its text only when the character (its text's first
// unit) is printable; the whole text when one is given, else the character.
void postKeyEvent(uint16_t keycode, char32_t ch, int64_t flags, std::u16string_view text);
void postMouseEvent(uint64_t token, int64_t eventType);
// Posts a checkpoint and waits until the tap has seen it: by then it has
// dealt with every event the system had before, a notice that it was
// disabled included. False when it was not seen in time (the tap is off).
bool tapCaughtUp();
void releaseMouseEvent(uint64_t token);

}  // namespace vyx
