// What each character key of a Mac keyboard's main block gives, by its
// virtual key code, on the layouts the program converts between. The
// pipeline reads a held key again with it when a correction has switched
// the input source under keys the person already pressed.
//
// Constant tables, read by any thread without a lock.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vyx {

enum class KeyLayout : uint8_t {
  other,       // a layout these tables do not know
  us,          // U.S. QWERTY (also "ABC")
  russianMac,  // the Mac "Russian" layout
  russianPC,   // "Russian – PC", the Windows arrangement
};

// The character the key gives on the layout with these Quartz flags: Shift,
// and Caps Lock for letters, applied; none with Command, Control or Option
// (a shortcut, not text), for a key that gives no character, or for a
// layout the tables do not know.
[[nodiscard]] std::optional<char32_t> layoutKeyChar(KeyLayout layout, uint16_t keycode,
                                                    int64_t flags);

// What the key gives on `to`, when `text` is exactly what it gives on `from`:
// a key pressed on `from` and read as if `to` had been selected. None when
// the text did not come from `from` for that key (a composition, an emoji, a
// shortcut) or `to` gives nothing there.
[[nodiscard]] std::optional<char32_t> rereadKey(KeyLayout from, KeyLayout to, uint16_t keycode,
                                                int64_t flags, std::u16string_view text);

// Whether the key gave, on QWERTY, the mark that its shifted Russian capital
// shows there: " : < > { } | from the keys of Э Ж Б Ю Х Ъ Ё on a Mac. The same
// mark from another key (the quotation mark and colon of the Russian layout's
// digit row) is only a mark.
[[nodiscard]] bool isCapitalLetterKeyPress(uint16_t keycode, char32_t ch);

}  // namespace vyx
