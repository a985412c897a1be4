// Words begun on one layout and finished on the other. The program switches
// the layout when it ends a correction, while the person may already be
// typing the next word: the keys pressed before the switch give letters of
// one script, those after it of the other ("hуддщ" for hello). No layout
// gives such a word, so it is read back whole in the script in which it is a
// word.
#include <algorithm>

#include "detect/detector.h"
#include "detect/keymaps.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx {

namespace {

// The part a dictionary can judge: without a final punctuation mark, which
// the person may have typed after the word.
std::u32string_view core(std::u32string_view w) {
  return !w.empty() && isPunct(w.back()) ? w.substr(0, w.size() - 1) : w;
}

// Whether every letter of w belongs to the reading's script; a letter the
// key maps leave alone (such as the Ukrainian і) keeps the word mixed.
bool oneScript(std::u32string_view w, bool cyrillic) {
  return !w.empty() && std::all_of(w.begin(), w.end(), [&](char32_t c) {
    return !isLetter(c) || (cyrillic ? isCyrillicScript(c) : isLatinScript(c));
  });
}

// The keys before the first letter include one that gives a Russian letter
// on QWERTY, and the first letter is Cyrillic: ",удет" is будет begun before
// the switch to Russian with the key of б.
bool begunOnQwertyKeys(std::u32string_view w) {
  const auto firstLetter = std::find_if(w.begin(), w.end(), isLetter);
  if (firstLetter == w.end() || !isCyrillicScript(*firstLetter)) return false;
  return std::any_of(w.begin(), firstLetter, [](char32_t c) { return enToRu.contains(c); });
}

// The word as typed on the Russian layout throughout. A Latin letter was
// typed on QWERTY; a key that is no letter (a full stop, a comma) was typed on
// the layout of the letter before it, since the layout changes once, between
// two letters: "lруг." is "друг." and not "другю". Before the first letter, a
// key is read as the Russian letter it gives on QWERTY (",удет" is будет); the
// lists then tell whether that reading is a word.
std::u32string russianReading(std::u32string_view word) {
  std::u32string out(word);
  bool onQwerty = true;
  for (char32_t& c : out) {
    const bool letter = isLetter(c);
    if (letter) onQwerty = isLatinScript(c);
    if (!letter && !onQwerty) continue;
    if (const auto it = enToRu.find(c); it != enToRu.end()) c = it->second;
  }
  // A shifted digit at the end of a word finished on QWERTY is the Russian
  // layout's punctuation, as it is for a word typed wholly on QWERTY.
  if (onQwerty && !out.empty()) {
    if (const auto it = shiftDigitPunct.find(out.back()); it != shiftDigitPunct.end()) {
      out.back() = it->second;
    }
  }
  return out;
}

}  // namespace

bool isMixedScript(std::u32string_view word) {
  bool latin = false;
  bool cyrillic = false;
  for (const char32_t c : word) {
    // Every word is asked, so the common letters skip the property lookups.
    if (c < 0x80) {
      latin = latin || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
    } else if ((c >= U'А' && c <= U'я') || c == U'ё' || c == U'Ё') {
      cyrillic = true;
    } else if (isLetter(c)) {
      latin = latin || isLatinScript(c);
      cyrillic = cyrillic || isCyrillicScript(c);
    }
    if (latin && cyrillic) return true;
  }
  return cyrillic && begunOnQwertyKeys(word);
}

Detector::Answer Detector::checkMixed(std::u32string_view word, const CustomWordSet& set) {
  // Every key read on the Russian layout, and every key read on QWERTY (where
  // the keys that are no letters read the same on both).
  const std::u32string ru = russianReading(word);
  const std::u32string en = convertScript(kScriptCyrillic, word);
  const std::u32string_view ruCore = core(ru);
  const std::u32string_view enCore = core(en);
  const bool ruWhole = oneScript(ruCore, true);
  const bool enWhole = oneScript(enCore, false);
  const auto pick = [&](bool russian) {
    markLanguage(russian);
    return Answer{true, russian ? ru : en};
  };

  // A word of a list itself first: the inflection and ending rules accept so
  // much that a reading only they let through is weaker evidence.
  std::u32string ruLower = toLower(ruCore);
  std::replace(ruLower.begin(), ruLower.end(), U'ё', U'е');
  const bool ruListed =
      ruWhole && (ruDict.hasWord(encodeUtf8(ruLower)) || customHas(set.get(), ruCore));
  const bool enListed =
      enWhole && (enDict.hasWord(encodeUtf8(toLower(enCore))) || customHas(set.get(), enCore));
  if (ruListed != enListed) return pick(ruListed);
  if (ruListed) return {};  // a word either way: which was meant is anyone's guess

  const bool ruAccepted = ruWhole && ruValid(ruCore);
  const bool enAccepted = enWhole && enDict.Has(encodeUtf8(enCore));
  if (ruAccepted != enAccepted) return pick(ruAccepted);
  return {};
}

}  // namespace vyx
