// What the same physical key gives on the US QWERTY and the Russian layout,
// and the small key tables the detector and the word buffer consult.
//
// Filled during static initialisation of keymaps.cpp and never written again,
// so every thread reads them without a lock. No other static initialiser may
// read them.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace vyx {

// QWERTY character -> Russian character on the same key and shift level (67).
extern const std::unordered_map<char32_t, char32_t> enToRu;
// The inverse of enToRu (66); ё goes back to the grave accent.
extern const std::unordered_map<char32_t, char32_t> ruToEn;
// Unshifted QWERTY punctuation keys that are letters on the Russian layout (8).
extern const std::unordered_set<char32_t> punctLetterKeys;
// Shifted QWERTY digits 2..8 -> what the same keys give shifted on Russian (7).
extern const std::unordered_map<char32_t, char32_t> shiftDigitPunct;
// "!" and "?".
extern const std::unordered_set<char32_t> sentenceEndPunct;
// Lower-case Latin letters whose keys give a one-letter Russian word (8).
extern const std::unordered_map<std::string, std::string> oneLetterWords;
// Short Russian words accepted besides the word list (8).
extern const std::unordered_set<std::string> ruShortWords;

// Whether c is what QWERTY shows for the shifted key of a Russian capital that
// is no letter there: < > : " { } | for Б Ю Ж Э Х Ъ Ё on the Mac Russian
// layout. Such a key that begins a word may be the word's capital ("Это"
// typed as "nj with a quotation mark); elsewhere it is the mark it shows.
[[nodiscard]] constexpr bool isCapitalLetterKey(char32_t c) {
  switch (c) {
    case U'<':
    case U'>':
    case U':':
    case U'"':
    case U'{':
    case U'}':
    case U'|':
      return true;
    default:
      return false;
  }
}

inline constexpr std::string_view kScriptCyrillic = "cyrillic";
inline constexpr std::string_view kScriptLatin = "latin";
inline constexpr std::string_view kScriptUnknown = "unknown";

// The script of the first Cyrillic or Latin letter of the word, else "unknown".
[[nodiscard]] std::string_view detectScript(std::string_view word);
[[nodiscard]] std::string_view detectScript(std::u32string_view word);

// Key-for-key conversion: through enToRu for "latin", ruToEn for anything
// else; unmapped code points stay. Same length in code points.
[[nodiscard]] std::string convertScript(std::string_view script, std::string_view word);
[[nodiscard]] std::u32string convertScript(std::string_view script, std::u32string_view word);

}  // namespace vyx
