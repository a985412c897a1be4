// The user's own words come before every list: a user word typed right is
// never touched, one typed on the other layout is always fixed.
#include "detect/detector.h"
#include "detect/keymaps.h"
#include "detect/trailing_keys.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx {

namespace {

struct TrailingPunct {
  char32_t punct = 0;
  bool accepted = false;
};

// What a final character typed after a user word stands for. A Cyrillic word
// was typed on the Russian layout, so its punctuation is already right; after
// a Latin word a shifted digit is what the key gives on the Russian layout,
// and the keys of х, ъ, э and ё are letters, never punctuation.
TrailingPunct customTrailingPunct(std::string_view script, char32_t last) {
  if (script == kScriptCyrillic) return {last, isPunct(last)};
  if (const auto it = shiftDigitPunct.find(last); it != shiftDigitPunct.end()) {
    return {it->second, true};
  }
  if (sentenceEndPunct.contains(last) || letterKeyMayBePunct(last)) return {last, true};
  return {};
}

}  // namespace

Detector::CustomAnswer Detector::checkCustom(std::u32string_view word, const StringSet& set) {
  const std::string_view script = detectScript(word);
  if (script == kScriptUnknown) return {};
  const bool cyrillic = script == kScriptCyrillic;
  const auto kept = [] { return CustomAnswer{false, {}, true}; };

  if (customHas(&set, word)) {
    if (cyrillic) markLanguage(true);
    return kept();
  }
  std::u32string converted = convertScript(script, word);
  if (customHas(&set, converted)) {
    markLanguage(!cyrillic);
    return {true, std::move(converted), true};
  }
  if (word.size() <= 2) return {};

  const char32_t last = word.back();
  const TrailingPunct tail = customTrailingPunct(script, last);
  if (!tail.accepted) return {};
  // A final comma or full stop that completes a Russian word is its letter.
  if (!cyrillic && punctLetterKeys.contains(last) && qwertyTailIsLetter(word)) return {};

  const std::u32string_view prefix = word.substr(0, word.size() - 1);
  if (customHas(&set, prefix)) {
    if (cyrillic) markLanguage(true);
    return kept();
  }
  std::u32string convertedPrefix = convertScript(script, prefix);
  if (!customHas(&set, convertedPrefix)) return {};
  markLanguage(!cyrillic);
  trailingPunct = tail.punct;
  return {true, std::move(convertedPrefix), true};
}

}  // namespace vyx
