// One loaded word list and the membership questions the detector asks of it:
// case-insensitive, tolerant of inflection, of ё written as е and, on request,
// of one wrong, missing or extra letter.
//
// A Dict is never written after LoadDict returns, so any thread may read it
// without a lock; the scratch buffers and stemmers Has uses are per thread.
// Ill-formed UTF-8 in a looked-up word is read as U+FFFD and simply not found.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "detect/dict_image.h"
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

// A word list as parsed from text, before it is compiled.
struct DictSource {
  std::string lang;          // "ru" or "en"
  StringMap<int64_t> ranks;  // every accepted line and the 1-based number it first occurs on
  StringSet stems;           // the Snowball stem of every accepted line, when not empty
  StringSet forms;           // inflected forms the rank rule may ask about (Russian)
  // The stemmer cut every Russian word to a prefix no shorter than
  // russianStemFloor, which lets lookups skip it (see dict_index.cpp).
  bool stemmerFitsIndex = true;
};

// One loaded word list: its words, their stems and ranks, and a few inflected
// forms, compiled into one flat image (dict_image.h). Copies share the image.
class Dict final {
 public:
  Dict() = default;
  explicit Dict(DictImage image);

  [[nodiscard]] const std::string& lang() const { return image_.lang(); }
  // Whether the word, lower-cased, is in the list directly or through its
  // stem, ё folding and the Russian ending rules.
  [[nodiscard]] bool Has(std::string_view word) const;
  // The first word one edit away (insertions, then substitutions, then
  // deletions) that Has accepts; nullopt when none.
  [[nodiscard]] std::optional<std::string> FuzzyFind(std::string_view word) const;
  // The rank of an exact (already lower-cased) word, 0 when absent.
  [[nodiscard]] int64_t rankOf(std::string_view lowerWord) const;
  // Exact membership, no rule applied: a list word / a stem.
  [[nodiscard]] bool hasWord(std::string_view lowerWord) const {
    return image_.trie().holds(lowerWord, DictTrie::kWordFlag);
  }
  [[nodiscard]] bool hasStem(std::string_view stem) const {
    return image_.trie().holds(stem, DictTrie::kStemFlag);
  }
  // A list word or one of the inflected forms compiled in beside the list
  // (lower case, ё written as е).
  [[nodiscard]] bool hasWordForm(std::string_view lowerFolded) const {
    return hasWord(lowerFolded) || image_.forms().contains(lowerFolded);
  }
  [[nodiscard]] size_t wordCount() const { return image_.wordCount(); }
  [[nodiscard]] size_t stemCount() const { return image_.stemCount(); }
  // Calls f(word, rank) for every word.
  template <class F>
  void forEachWord(F&& f) const {
    image_.trie().forEachKey(DictTrie::kWordFlag,
                             [&](std::string_view w, DictTrie::Node n) { f(w, image_.rankAt(n)); });
  }
  [[nodiscard]] const DictImage& image() const { return image_; }
  // Whether lookups may rule out candidates through the trie (see dict_index.cpp).
  [[nodiscard]] bool indexed() const { return indexed_; }
  // No longer word (in code points) is accepted, so Has answers a longer one
  // and FuzzyFind one longer still without a lookup (while indexed); 0: no
  // bound is known.
  [[nodiscard]] size_t longestAccepted() const { return image_.longestAccepted(); }
  // The same list answering rule by rule, the reference the index must agree with.
  [[nodiscard]] Dict withoutIndex() const {
    Dict d = *this;
    d.indexed_ = false;
    return d;
  }

 private:
  // Whether a word of this many code points is longer than any the list
  // accepts (never without the index, which the bound is a part of).
  [[nodiscard]] bool beyondLongest(size_t codePoints) const {
    const size_t longest = image_.longestAccepted();
    return indexed_ && longest != 0 && codePoints > longest;
  }

  DictImage image_;
  bool indexed_ = false;
  bool russian_ = false;
};

// Loads the embedded "dicts/<code>_freq.txt".
[[nodiscard]] Result<Dict> LoadDict(std::string_view code);
// Parses a list given as text in the embedded files' format, and the forms
// list (one form a line; forms that fail the script filter are skipped).
[[nodiscard]] Result<DictSource> parseDictSource(std::string_view code, std::string_view text,
                                                 std::string_view formsText = {});
// Compiles a parsed list (the build does this for the embedded lists).
[[nodiscard]] DictImageParts compileDict(const DictSource& source);
// Parses and compiles a list given as text, in memory (tests).
[[nodiscard]] Result<Dict> loadDictFromText(std::string_view code, std::string_view text,
                                            std::string_view formsText = {});
[[nodiscard]] Dict dictFromSource(const DictSource& source);

// The Snowball stem for "en" or "ru" (stop words stemmed like any word); ""
// for any other code. Safe from any thread.
[[nodiscard]] std::string stemWord(std::string_view word, std::string_view code);
// The script filter applied while loading.
[[nodiscard]] bool matchesDictScript(std::string_view line, std::string_view code);
// The base followed by its variants with the final consonant alternated.
[[nodiscard]] std::vector<std::string> alternateConsonants(std::string_view base);

}  // namespace vyx
