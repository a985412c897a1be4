// The one judge of whether a finished word was typed on the wrong layout.
//
// Threads: CheckWithTrailingPunct runs on whichever thread handles the key
// (event tap for live keys, the replacement worker for replayed ones);
// ResetTransientContext on whichever thread invalidates the pipeline's
// context; SetCustomWords on the user word list poller. mu guards every field
// but custom, which is swapped whole under customMu (held only to copy the
// pointer, never together with mu): a decision keeps the set it started with.
// mu is innermost: nothing else is locked while it is held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "detect/dict.h"

namespace vyx {

// The user's own words, lower-case. A published set is never modified.
using CustomWordSet = std::shared_ptr<const StringSet>;

// Longer than any word of either list (their longest has 27 code points). A
// longer "word" is a run of keys, not a word: it is left as typed, since
// erasing and retyping it would outlast the two seconds that exit waits for a
// correction. The lists' own bound (Dict::longestAccepted) is shorter and
// already spares such runs the fuzzy search; this one holds for user words
// too, which have none.
inline constexpr size_t kMaxWordLength = 64;

// Whether a decision may search for a Russian word one edit away, the
// costliest step. A word after a capital's key whose whole reading made that
// search is judged without it: a word is searched once.
enum class NearMatch : uint8_t { search, skip };

struct Decision {
  bool wrong = false;
  std::string fixed;   // the word as it should read; empty when not wrong
  char32_t punct = 0;  // punctuation to type after the fixed word; 0 for none
};

// Whether the word holds both Latin and Cyrillic letters, or Cyrillic letters
// after a key that gives a Russian letter on QWERTY (",удет"): a word begun
// before a switch of the layout and finished after it.
[[nodiscard]] bool isMixedScript(std::u32string_view word);

class Detector final {
 public:
  // Both dictionaries must outlive the detector.
  Detector(const Dict& ruDict, const Dict& enDict);
  Detector(const Detector&) = delete;
  Detector& operator=(const Detector&) = delete;

  [[nodiscard]] Decision CheckWithTrailingPunct(std::string_view word,
                                                NearMatch near = NearMatch::search);
  void ResetTransientContext();
  // An empty set (or null) switches the user-word rules off.
  void SetCustomWords(CustomWordSet words);

 private:
  struct Answer {
    bool wrong = false;
    std::u32string fixed;
  };
  struct CustomAnswer {
    bool wrong = false;
    std::u32string fixed;
    bool decided = false;
  };

  // Everything below runs with mu held.
  Answer check(std::u32string_view word, const CustomWordSet& set, NearMatch near);
  // fuzzy: whether a conversion one edit from a Russian word counts.
  Answer checkLatin(std::u32string_view word, bool fuzzy);
  // A word with Latin and Cyrillic letters, read whole on the one layout that
  // makes it a word (a list word, a user word, then through the rules); not
  // wrong when neither or both do.
  Answer checkMixed(std::u32string_view word, const CustomWordSet& set);
  // A word that begins with the key of a capital on QWERTY ("\"nj"): wrong
  // only when read whole, that key as its capital, it reads as a Russian
  // word, alone or before a final punctuation key.
  Answer checkCapitalKeyWord(std::u32string_view word, const CustomWordSet& set);
  Answer checkCyrillic(std::u32string_view word, NearMatch near);
  CustomAnswer checkCustom(std::u32string_view word, const StringSet& set);
  [[nodiscard]] static bool customHas(const StringSet* set, std::u32string_view word);
  [[nodiscard]] int64_t lemmaRank(std::u32string_view w) const;
  [[nodiscard]] bool tailIsPunctuation(std::u32string_view full, std::u32string_view prefix) const;
  [[nodiscard]] bool qwertyTailIsLetter(std::u32string_view word) const;
  // Dict::Has of ruDict, or one of the short words the list lacks.
  [[nodiscard]] bool ruValid(std::u32string_view word) const;
  [[nodiscard]] bool inRuDict(std::u32string_view word) const;
  // A word of the Russian list or one of its compiled forms, exactly (case
  // and ё aside): no stems, no ending rules.
  [[nodiscard]] bool inRuList(std::u32string_view word) const;
  // A capital and the letters after it read as a Russian word: the list
  // itself, its rules for three letters or more, one edit (not at the
  // capital) for as many as a word needs for that search, if searched.
  [[nodiscard]] bool readsAsRussian(std::u32string_view reading, NearMatch near) const;
  // Dict::FuzzyFind of ruDict found something, remembered per word.
  [[nodiscard]] bool fuzzyMatch(std::u32string_view word);
  void markLanguage(bool russian);

  std::mutex mu;
  const Dict& ruDict;
  const Dict& enDict;
  bool lastLangRu = false;
  bool initialized = false;
  char32_t trailingPunct = 0;
  // The fuzzy search costs up to 67n + 33 lookups, tens of microseconds for a
  // long word, and people repeat words; its answer depends on the word alone.
  StringMap<bool> fuzzyMemo;
  // Not std::atomic<std::shared_ptr>: libstdc++ guards it with a lock bit that
  // ThreadSanitizer cannot see, and a plain mutex costs the same here.
  std::mutex customMu;
  CustomWordSet custom;
};

}  // namespace vyx
