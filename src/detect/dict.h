// One loaded word list and the membership questions the detector asks of it:
// case-insensitive, tolerant of inflection, of ё written as е and, on request,
// of one wrong, missing or extra letter.
//
// A Dict is never written after LoadDict returns, so any thread may read it
// without a lock; the scratch buffers and stemmers Has uses are per thread.
// Code that fills or changes words or stems by hand calls buildIndex
// afterwards (without an index, Has applies the rules one by one).
// Ill-formed UTF-8 in a looked-up word is read as U+FFFD and simply not found.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "detect/dict_tables.h"
#include "detect/dict_trie.h"
#include "log/error.h"

namespace vyx {

// Hashing that lets a std::string_view look up a std::string key without
// building a string.
struct StringHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
using StringSet = std::unordered_set<std::string, StringHash, std::equal_to<>>;
template <class V>
using StringMap = std::unordered_map<std::string, V, StringHash, std::equal_to<>>;

// What LoadDict derives from words and stems so that Has can rule out most
// misses without trying every rule (the fuzzy search tries thousands of
// misses while a key is held). It never changes an answer.
struct DictIndex {
  DictTrie trie;         // every word and stem; Russian only
  size_t wordCount = 0;  // words.size() and stems.size() when it was built:
  size_t stemCount = 0;  // a Dict changed since then answers by the rules alone
  bool built = false;    // set only when every word and stem passes the script filter
};

struct Dict {
  StringSet words;           // every accepted line, trimmed and lower-cased
  StringSet stems;           // the Snowball stem of every accepted line, when not empty
  StringMap<int64_t> ranks;  // 1-based number of the accepted line a word first occurs on
  std::string lang;          // "ru" or "en"
  DictIndex index;

  // Whether the word, lower-cased, is in the list directly or through its
  // stem, ё folding and the Russian ending rules.
  [[nodiscard]] bool Has(std::string_view word) const;
  // The first word one edit away (insertions, then substitutions, then
  // deletions) that Has accepts; nullopt when none.
  [[nodiscard]] std::optional<std::string> FuzzyFind(std::string_view word) const;
  // The rank of an exact (already lower-cased) word, 0 when absent.
  [[nodiscard]] int64_t rankOf(std::string_view lowerWord) const;
  // Derives index from words, stems and lang; LoadDict calls it.
  void buildIndex();
};

// Loads the embedded "dicts/<code>_freq.txt".
[[nodiscard]] Result<Dict> LoadDict(std::string_view code);
// Loads a list given as text in the embedded files' format (tests, and LoadDict itself).
[[nodiscard]] Result<Dict> loadDictFromText(std::string_view code, std::string_view text);

// The Snowball stem for "en" or "ru" (stop words stemmed like any word); ""
// for any other code. Safe from any thread.
[[nodiscard]] std::string stemWord(std::string_view word, std::string_view code);
// The script filter applied while loading.
[[nodiscard]] bool matchesDictScript(std::string_view line, std::string_view code);
// The base followed by its variants with the final consonant alternated.
[[nodiscard]] std::vector<std::string> alternateConsonants(std::string_view base);

}  // namespace vyx
