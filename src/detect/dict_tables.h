// The constant tables behind Dict::Has and Dict::FuzzyFind. All constexpr, so
// they exist before any code runs and every thread reads them freely.
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace vyx {

// Russian endings that Dict::Has strips, tried in this order.
inline constexpr std::array<std::string_view, 71> ruSuffixes{
    "нул",  "нула", "нули", "нуло", "ал",  "ала", "али", "ало", "ел",  "ела", "ели", "ело",
    "ил",   "ила",  "или",  "ило",  "ял",  "яла", "яли", "яло", "ает", "яет", "ует", "ёт",
    "ет",   "аю",   "яю",   "ую",   "жу",  "шу",  "чу",  "щу",  "у",   "ают", "яют", "уют",
    "аешь", "яешь", "уешь", "ешь",  "ишь", "ай",  "яй",  "уй",  "ь",   "и",   "ите", "ая",
    "яя",   "ого",  "его",  "ому",  "ему", "ой",  "ей",  "ий",  "ый",  "ые",  "ие",  "ых",
    "их",   "ом",   "ем",   "ам",   "ям",  "ов",  "ев",  "ах",  "ях",  "ами", "ями"};

// Verb endings that Dict::Has appends to a stripped base, in this order.
inline constexpr std::array<std::string_view, 10> infinitiveEndings{
    "ть", "ать", "ять", "ить", "еть", "уть", "нуть", "овать", "зать", "сать"};

// A final consonant and the letters that may stand in its place in the
// dictionary form (стереж- for стерег-, пиш- for пис-).
struct ConsonantAlternation {
  char32_t letter;
  std::array<std::string_view, 3> replacements;  // unused slots are empty
  size_t count;
};

inline constexpr std::array<ConsonantAlternation, 10> consonantAlternations{{
    {U'ж', {"з", "г", "д"}, 3},
    {U'ш', {"с", "х"}, 2},
    {U'ч', {"к", "ц"}, 2},
    {U'щ', {"ст", "ск"}, 2},
    {U'з', {"ж"}, 1},
    {U'г', {"ж"}, 1},
    {U'д', {"ж"}, 1},
    {U'с', {"ш"}, 1},
    {U'к', {"ч"}, 1},
    {U'ц', {"ч"}, 1},
}};

// The replacements for a final letter, in table order; empty when it has none.
[[nodiscard]] constexpr std::span<const std::string_view> alternationsOf(char32_t letter) {
  for (const ConsonantAlternation& a : consonantAlternations) {
    if (a.letter == letter) {
      return {a.replacements.data(), a.count};
    }
  }
  return {};
}

// The Russian lower-case letters in alphabetical order, ё after е.
inline constexpr std::u32string_view fuzzyAlphabet = U"абвгдеёжзийклмнопрстуфхцчшщъыьэюя";
static_assert(fuzzyAlphabet.size() == 33);

}  // namespace vyx
