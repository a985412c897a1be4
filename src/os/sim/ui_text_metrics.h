// How the simulated desktop measures and breaks text: a deterministic model
// of the Mac system font, simple enough that a layout can be checked by hand.
//
// Advance of a character, in points = font size × em × weight factor, where
// em is the first that applies:
//   0     zero-width: U+200B–U+200F, U+2060, variation selectors U+FE00–U+FE0F,
//         combining marks U+0300–U+036F and U+20D0–U+20FF
//   0.25  white space (space, no-break space, the U+2000 spaces, tab)
//   1.0   the em dash U+2014 and everything from U+2070 on: arrows, ⌘ ⇧ ⌥,
//         ⚡ ⚠ ✓, emoji and other symbols, CJK
//   0.5   the rest of General Punctuation U+2000–U+206F (quotes, –, …)
//   0.3   narrow: the ASCII characters  f i j l r t I ! | . , : ; ' ` ( ) [ ] { }
//   0.8   wide: m w M W @ % and the Cyrillic м ж ш щ ы ю М Ж Ш Щ Ы Ю
//   0.6   decimal digits
//   0.65  other upper-case letters
//   0.5   other letters
//   0.45  anything else: punctuation and symbols below U+2000 (- ? / « » +)
// Weight factor: regular 1.00, medium 1.02, semibold 1.04, bold 1.06.
// The monospaced system font gives 0.6 em to every character below U+2000
// that has a width, and the table's em to the others, at every weight.
//
// Line height = ceil(font size × 1.2): 13 → 16, 13.5 → 17, 23 → 28, 46 → 56.
//
// A text field's cell keeps kTextFieldPadding points of padding at its left
// and right (none above or below). Its size for a bounds width W:
//   - lines: the text split at "\n" (also "\r\n" and "\r"); with word or
//     character wrapping, each paragraph is then broken greedily to fit the
//     text width W − 2 × padding: a line takes whole words while they fit;
//     the spaces where a line breaks hang at its end and count for nothing;
//     a word wider than the text width alone is broken between characters
//     (at least one character a line). Character wrapping breaks between any
//     two characters. Without wrapping each paragraph is one line whatever
//     W. A maximum number of lines above 0 keeps only the first lines.
//   - width = ceil(widest line, trailing spaces not counted) + 2 × padding
//   - height = number of lines × line height (an empty text is one line)
// The height of the bounds is not a limit. Spaces inside a line count.
//
// A label made by textFieldCreateLabel starts with the frame (0, 0, its cell
// size without wrapping); labels do not wrap until told to, fields neither.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "os/controls.h"
#include "os/ui_types.h"
#include "os/views.h"

namespace vyx::os::sim {

inline constexpr double kTextFieldPadding = 2;

[[nodiscard]] double characterAdvance(char32_t c, const Font& font);
[[nodiscard]] double textWidth(std::u32string_view text, const Font& font);
[[nodiscard]] double lineHeight(const Font& font);

// The lines a field shows for a text width (its bounds width less the padding).
[[nodiscard]] std::vector<std::u32string> breakLines(std::string_view text, const Font& font,
                                                     LineBreakMode mode, int64_t maximumLines,
                                                     double width);

[[nodiscard]] Size cellSize(std::string_view text, const Font& font, LineBreakMode mode,
                            int64_t maximumLines, double boundsWidth);

}  // namespace vyx::os::sim
