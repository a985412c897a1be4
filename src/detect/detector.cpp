#include "detect/detector.h"

#include <algorithm>

#include "detect/keymaps.h"
#include "detect/trailing_keys.h"
#include "log/logger.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx {

namespace {

// Below this many code points a wrong-layout word is left alone unless the
// conversion is itself a word: one edit away from so short a string almost
// anything is a Russian word, and the search is the costliest step.
constexpr size_t kFuzzyMinLength = 6;
// A capital's key that begins a word is read as the capital through the
// Russian ending rules only when at least this many code points follow it:
// after a mark, two letters such as "\"rm" or "\"CC" pass the rules as Экь
// and Эсс.
constexpr size_t kCapitalRulesMinLength = 3;
// Below this many code points a final punctuation key is read as a letter.
constexpr size_t kTrailingPunctMinLength = 3;
constexpr size_t kFuzzyMemoSize = 4096;

// A word of the English list, alone or followed by a mark that ends
// English words ("the," is the and a comma). English stems do not count:
// they are far too lenient.
bool isEnglishListWord(const Dict& en, std::u32string_view word) {
  const std::string lower = toLower(encodeUtf8(word));
  if (en.hasWord(lower)) return true;
  return endsEnglishWord(word.back()) &&
         en.hasWord(std::string_view(lower).substr(0, lower.size() - 1));
}

// The Russian letters on the keys of , . ; (unshifted): the marks that end
// English words in prose. After the keys of ' [ ] (э х ъ) a Russian word is
// far likelier than an English word and a bracket.
bool isProseMarkKeyLetter(char32_t c) {
  return c == U'б' || c == U'ю' || c == U'ж';
}

// What a final key typed on QWERTY after a Russian word stands for, 0 for
// none: a shifted digit gives what it gives on the Russian layout, a sentence
// end or a comma, full stop or semicolon key stays itself. The keys of х, ъ,
// э and ё are letters.
char32_t finalKeyPunct(char32_t last) {
  if (const auto it = shiftDigitPunct.find(last); it != shiftDigitPunct.end()) return it->second;
  return letterKeyMayBePunct(last) || sentenceEndPunct.contains(last) ? last : 0;
}

bool allSame(std::u32string_view word) {
  return std::all_of(word.begin(), word.end(), [&](char32_t c) { return c == word.front(); });
}

}  // namespace

Detector::Detector(const Dict& ruDict, const Dict& enDict) : ruDict(ruDict), enDict(enDict) {}

Decision Detector::CheckWithTrailingPunct(std::string_view word, NearMatch near) {
  // The pipeline skips such runs before asking; no caller may hold a key for
  // the search's time either. A code point takes at most four bytes, so a
  // longer text is not even counted.
  if (word.size() > 4 * kMaxWordLength || codePointCount(word) > kMaxWordLength) {
    vlog("skip_reason: %s", "not-wrong");
    return {};
  }
  const std::u32string points = decodeUtf8(word);
  CustomWordSet set;
  {
    const std::lock_guard lock(customMu);
    set = custom;
  }
  const std::lock_guard lock(mu);
  Answer answer = check(points, set, near);
  Decision decision;
  if (!answer.wrong) {
    vlog("skip_reason: %s", "not-wrong");
    return decision;
  }
  decision.wrong = true;
  decision.fixed = encodeUtf8(answer.fixed);
  decision.punct = trailingPunct;
  return decision;
}

void Detector::ResetTransientContext() {
  const std::lock_guard lock(mu);
  trailingPunct = 0;
}

void Detector::SetCustomWords(CustomWordSet words) {
  const std::lock_guard lock(customMu);
  custom.swap(words);
  // The old set, if this was its last reference, is freed after unlocking.
}

void Detector::markLanguage(bool russian) {
  lastLangRu = russian;
  initialized = true;
}

bool Detector::inRuDict(std::u32string_view word) const {
  return ruDict.Has(encodeUtf8(word));
}

bool Detector::ruValid(std::u32string_view word) const {
  const std::string utf8 = encodeUtf8(word);
  return ruDict.Has(utf8) || ruShortWords.contains(toLower(utf8));
}

bool Detector::inRuList(std::u32string_view word) const {
  std::u32string folded = toLower(word);
  std::replace(folded.begin(), folded.end(), U'ё', U'е');
  return ruDict.hasWordForm(encodeUtf8(folded));
}

bool Detector::customHas(const StringSet* set, std::u32string_view word) {
  return set != nullptr && set->contains(encodeUtf8(toLower(word)));
}

bool Detector::fuzzyMatch(std::u32string_view word) {
  // Lower-cased: the search lower-cases every candidate, so case never
  // changes whether it finds one.
  std::string key = encodeUtf8(toLower(word));
  if (const auto it = fuzzyMemo.find(key); it != fuzzyMemo.end()) return it->second;
  // Bounded by starting over, which frees every entry while the key waits:
  // 16384 entries took 1.4 ms to free, this many a quarter of that. A long
  // text's vocabulary refills it.
  if (fuzzyMemo.size() >= kFuzzyMemoSize) fuzzyMemo.clear();
  const bool found = ruDict.FuzzyFind(key).has_value();
  fuzzyMemo.emplace(std::move(key), found);
  return found;
}

// The user word set was read once before the decision: a reload published
// meanwhile applies from the next word on.
Detector::Answer Detector::check(std::u32string_view typed, const CustomWordSet& set,
                                 NearMatch near) {
  trailingPunct = 0;
  if (typed.empty()) return {};
  const bool capitalKey = isCapitalLetterKey(typed.front());
  // On a Mac, Ё is Shift with the backslash key, which QWERTY shows as a
  // vertical line; the key maps have that Ё on the tilde.
  std::u32string tilde;
  if (typed.front() == U'|' && typed.size() > 1) {
    tilde = typed;
    tilde.front() = U'~';
  }
  const std::u32string_view word = tilde.empty() ? typed : tilde;

  if (set && !set->empty()) {
    CustomAnswer c = checkCustom(word, *set);
    if (c.decided) return {c.wrong, std::move(c.fixed)};
  }

  if (word.size() == 1) {
    const auto it = oneLetterWords.find(encodeUtf8(word));
    if (it == oneLetterWords.end() || (initialized && !lastLangRu)) return {};
    markLanguage(true);
    return {true, decodeUtf8(it->second)};
  }
  if (allSame(word)) return {};

  if (capitalKey) return checkCapitalKeyWord(word, set);
  if (isMixedScript(word)) {
    if (Answer mixed = checkMixed(word, set); mixed.wrong) return mixed;
  }
  const std::string_view script = detectScript(word);
  if (script == kScriptCyrillic) return checkCyrillic(word, near);
  if (script == kScriptLatin) return checkLatin(word, near == NearMatch::search);
  return {};
}

Detector::Answer Detector::checkCyrillic(std::u32string_view word, NearMatch near) {
  if (ruValid(word)) {
    markLanguage(true);
    return {};
  }
  std::u32string en = convertScript(kScriptCyrillic, word);
  if (enDict.Has(encodeUtf8(en))) {
    markLanguage(false);
    return {true, std::move(en)};
  }
  // An English word and the mark after it, typed on the Russian layout, where
  // the keys of , . ; give б ю ж: "Рщцумукб" is "However,". Only a word of
  // the English list itself counts: its stems would take far too many
  // strings for English.
  if (word.size() < kTrailingPunctMinLength || !isProseMarkKeyLetter(word.back())) return {};
  const std::u32string_view enPrefix = std::u32string_view(en).substr(0, en.size() - 1);
  if (!enDict.hasWord(toLower(encodeUtf8(enPrefix)))) return {};
  // A Russian word form that the list holds only among its compiled forms
  // (фею is no "at."), or one edit from a Russian word, long enough for that
  // to mean something, is Russian typed right. Unsearched, it stays too.
  if (inRuList(word)) return {};
  if (word.size() >= kFuzzyMinLength) {
    if (near == NearMatch::skip) return {};
    // Only a word of the list itself counts as near: the ending rules take
    // nearly any string ending in -ую or -ею, "ерукую" ("there.") included.
    const std::optional<std::string> found = ruDict.FuzzyFind(encodeUtf8(word));
    if (found && inRuList(decodeUtf8(*found))) return {};
  }
  markLanguage(false);
  trailingPunct = en.back();
  return {true, std::u32string(enPrefix)};
}

bool Detector::readsAsRussian(std::u32string_view reading, NearMatch near) const {
  if (inRuList(reading)) return true;
  const size_t after = reading.size() - 1;  // the letters after the capital
  if (after >= kCapitalRulesMinLength && inRuDict(reading)) return true;
  if (after < kFuzzyMinLength || near == NearMatch::skip) return false;
  // One edit from a Russian word, as for any word, unless the edit is at
  // the capital: "\"ghbdtn" is привет after a quotation mark, not Эпривет.
  const std::optional<std::string> found = ruDict.FuzzyFind(encodeUtf8(reading));
  return found && toLower(decodeUtf8(*found).front()) == toLower(reading.front());
}

Detector::Answer Detector::checkCapitalKeyWord(std::u32string_view word, const CustomWordSet& set) {
  // Read as ",удет" and ",elet" are read, the capital's key as its letter.
  // When that reading is no word, the pipeline judges the word after the
  // mark on its own.
  const auto letter = std::find_if(word.begin() + 1, word.end(), isLetter);
  if (letter == word.end()) return {};
  if (!isLatinScript(*letter)) return checkMixed(word, set);
  // An English word after a quotation mark or a colon was typed as meant.
  if (isEnglishListWord(enDict, word.substr(1))) return {};
  std::u32string ru = convertScript(kScriptLatin, word);
  // The final key read as punctuation first, as for any word typed on
  // QWERTY ("<jkmifz&" is Большая and a full stop, not one edit from it),
  // the word before it read without the one-edit search.
  const char32_t last = word.back();
  const std::u32string_view pru = std::u32string_view(ru).substr(0, ru.size() - 1);
  const char32_t punct = finalKeyPunct(last);
  if (punct != 0 && pru.size() >= kTrailingPunctMinLength && readsAsRussian(pru, NearMatch::skip) &&
      (!punctLetterKeys.contains(last) || tailIsPunctuation(ru, pru))) {
    markLanguage(true);
    trailingPunct = punct;
    return {true, std::u32string(pru)};
  }
  if (!readsAsRussian(ru, NearMatch::search)) return {};
  markLanguage(true);
  if (verboseOn()) vlog("Fix: %q → %q", encodeUtf8(word), encodeUtf8(ru));
  return {true, std::move(ru)};
}

Detector::Answer Detector::checkLatin(std::u32string_view word, bool fuzzy) {
  std::u32string ru = convertScript(kScriptLatin, word);

  // A word of the English list stays as typed even when its conversion is a
  // Russian word; English stems do not count here, they are far too lenient.
  // So does a word of the list followed by a mark that ends English words:
  // "the," is an English word and a comma, never "еру" and a comma; but
  // "to`" is ещё.
  const bool enExact = isEnglishListWord(enDict, word);

  if (word.size() >= kTrailingPunctMinLength && !enExact) {
    // The final key read as punctuation.
    const char32_t last = word.back();
    const std::u32string_view pru = std::u32string_view(ru).substr(0, ru.size() - 1);
    const bool letterKey = punctLetterKeys.contains(last);
    const char32_t punct = finalKeyPunct(last);
    if (punct != 0 && inRuDict(pru) && (!letterKey || tailIsPunctuation(ru, pru))) {
      markLanguage(true);
      trailingPunct = punct;
      return {true, std::u32string(pru)};
    }
  }

  if (ruValid(ru)) {
    if (enExact) return {};
    markLanguage(true);
    if (verboseOn()) vlog("Fix: %q → %q", encodeUtf8(word), encodeUtf8(ru));
    return {true, std::move(ru)};
  }
  if (!fuzzy || word.size() < kFuzzyMinLength || enExact) return {};
  if (!fuzzyMatch(ru)) return {};
  markLanguage(true);
  if (verboseOn()) vlog("Fix (fuzzy): %q → %q", encodeUtf8(word), encodeUtf8(ru));
  // The plain conversion: the user meant what the keys give, a typo included.
  return {true, std::move(ru)};
}

}  // namespace vyx
