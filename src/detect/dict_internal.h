// Pieces of Dict::Has shared by the rule-by-rule lookup (dict_rules.cpp) and
// the indexed one (dict_index.cpp). Not part of the detect layer's interface.
#pragma once

#include <unicode/utf8.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "detect/dict.h"

namespace vyx::dict_detail {

inline constexpr std::string_view kYo = "ё";
inline constexpr std::string_view kYe = "е";

// Has appends these to every candidate base, in this order: the infinitive
// endings first, then the bare base and its common nominal forms.
inline constexpr auto kBaseTails = [] {
  std::array<std::string_view, infinitiveEndings.size() + 5> tails{};
  size_t i = 0;
  for (const std::string_view e : infinitiveEndings) {
    tails[i++] = e;
  }
  for (const std::string_view e : {"", "а", "о", "ь", "ка"}) {
    tails[i++] = e;
  }
  return tails;
}();

// Reused across calls so that a lookup allocates nothing once warm. Per
// thread, because a Dict is read from any thread without a lock.
struct Scratch {
  std::string lower;
  std::string folded;
  std::string candidate;
  std::string joined;
  std::vector<uint32_t> path;        // trie nodes along the looked-up word
  std::vector<uint32_t> foldedPath;  // the same along its ё-folded form
};
Scratch& scratch();

// Code points of well-formed UTF-8: every byte but the continuation bytes.
inline size_t countCodePoints(std::string_view s) {
  size_t n = 0;
  for (const char ch : s) {
    n += (static_cast<uint8_t>(ch) & 0xC0) != 0x80;
  }
  return n;
}

// Byte offset of the last code point of a non-empty well-formed string.
inline size_t lastCodePointAt(std::string_view s, char32_t& last) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(s.data());
  auto end = static_cast<int32_t>(s.size());
  UChar32 c = 0;
  U8_PREV(bytes, 0, end, c);
  last = static_cast<char32_t>(c);
  return static_cast<size_t>(end);
}

// Whether the list's script filter lets the code point through: a Latin,
// hyphen or apostrophe one for "en", a Cyrillic or hyphen one for "ru",
// anything for other codes.
[[nodiscard]] bool scriptAllows(char32_t c, std::string_view code);

// w with every ё replaced by е.
void foldYo(std::string_view w, std::string& out);
// Steps 2 and 3 of Has, for a lower-case word: the ё-folded word is a list
// word (Russian only), the word's stem of three or more code points is a stem.
[[nodiscard]] bool hasFolded(const Dict& d, std::string_view w, Scratch& s);
[[nodiscard]] bool hasStem(const Dict& d, std::string_view w);

// Has for a lower-case, well-formed word, applying every rule in turn.
[[nodiscard]] bool hasByRules(const Dict& d, std::string_view w, Scratch& s);
// The same for a word already known not to be in words.
[[nodiscard]] bool hasBeyondWords(const Dict& d, std::string_view w, Scratch& s);
// The same answer through the trie's shortcuts, for a lower-case Russian
// word; only while d.indexed(). scriptChecked: the word is known to pass the
// list's script filter.
[[nodiscard]] bool hasIndexed(const Dict& d, std::string_view w, Scratch& s, bool scriptChecked);
// The same for a word whose first `known` bytes were walked already: s.path
// holds their nodes (path[i] after i bytes), and with deadAtKnown the trie
// has no child for byte `known`.
[[nodiscard]] bool hasIndexedFrom(const Dict& d, std::string_view w, Scratch& s, bool scriptChecked,
                                  size_t known, bool deadAtKnown);
// Walks w down the trie from the node path[known] as far as it goes, setting
// path[i] to the node of w's first i bytes; returns the bytes walked.
size_t walkPathFrom(const DictTrie& t, std::string_view w, std::vector<uint32_t>& path,
                    size_t known);
// Whether a Russian word's stem is what the index expects of the stemmer: a
// prefix of the word with ё read as е, no shorter than russianStemFloor.
[[nodiscard]] bool stemFitsIndex(std::string_view word, std::string_view stem);

}  // namespace vyx::dict_detail
