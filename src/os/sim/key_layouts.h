// The simulated keyboard's key layouts: what each physical key (a Mac
// virtual key code on an ANSI keyboard) gives on each layout, and the flags
// and device bits of the modifier keys. Written from the layouts
// themselves, not from the program's own key maps, so that a fault in those
// maps shows end to end.
//
// Modifiers and text, as chosen for the simulation:
// - Shift gives the shifted character; Caps Lock gives it for letters only;
//   both together still give the capital (as on a Mac).
// - Command leaves the character as Shift and Caps Lock make it.
// - Control turns a letter key into its control character (Control+A is
//   U+0001), taking the Latin letter of the key's U.S. position on a
//   Cyrillic layout; other keys keep their character.
// - The Option layer is not simulated: Option with a character key gives no
//   text at all.
// - Keys that are not characters give what a key layout gives them
//   (Return 13, Tab 9, Backspace 8, Escape 27, Forward Delete 127, Home 1,
//   End 4, Page Up 11, Page Down 12, Left 28, Right 29, Up 30, Down 31,
//   F-keys 16, keypad Enter 3), or, with functionKeyText, AppKit's U+F700
//   range for the arrows, the navigation keys and the F-keys.
//
// Threads: constant tables, any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "os/events.h"
#include "os/sim/desktop.h"

namespace vyx::os::sim {

[[nodiscard]] std::u16string layoutKeyText(KeyLayout layout, uint16_t keycode, EventFlags modifiers,
                                           bool functionKeyText);

// The key (and Shift) of the main block that gives ch on the layout, with
// Space, Return ("\n") and Tab; none when the layout has no such key.
[[nodiscard]] std::optional<std::pair<uint16_t, Modifiers>> layoutKeyFor(KeyLayout layout,
                                                                         char32_t ch);

// The flags a key adds to its own events: numeric pad and fn for the
// arrows, fn for the navigation and F-keys, numeric pad for the keypad.
[[nodiscard]] EventFlags keyOwnFlags(uint16_t keycode);

struct ModifierKey {
  uint16_t keycode = 0;
  EventFlags mask = 0;       // Shift, Control, Option, Command, fn or Caps Lock
  EventFlags deviceBit = 0;  // left or right: 0x2 left Shift, 0x4 right Shift, ...
};

[[nodiscard]] std::optional<ModifierKey> modifierKey(uint16_t keycode);
// The key that a press uses for a modifier flag: the right-hand key when the
// flags hold its device bit, else the left-hand one.
[[nodiscard]] uint16_t modifierKeyFor(EventFlags mask, EventFlags flags);

}  // namespace vyx::os::sim
