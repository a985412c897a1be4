// Dict::Has through the index. Every shortcut here skips only lookups that
// cannot succeed, so the answer is the one the rules give (dict_rules.cpp):
//   * the script filter kept out of the list every word with a code point it
//     refuses, and no rule removes such a code point (the stemmers and the
//     Russian endings only remove letters of the list's own script), so a
//     word holding one is found by no rule;
//   * a word, folded word or base + ending is a word only when its bytes
//     are a path of the trie that ends on a word node;
//   * the Russian stem of a word is a prefix of the word with ё folded to е,
//     no shorter than russianStemFloor, so without such a prefix among the
//     stems there is no need to run the stemmer at all; nor when the longest
//     such prefix leaves more of the word than the stemmer ever cuts off
//     (kRussianStemmerLongestCut), as in a long run of keys, or than the
//     word's own ending lets it cut (russianStemmerMayCut);
//   * so every rule needs a path of the trie along all but that cut of the
//     word or its folded form.
#include <algorithm>
#include <array>
#include <cstdint>

#include "detect/dict.h"
#include "detect/dict_internal.h"
#include "detect/stem.h"

namespace vyx::dict_detail {

namespace {

using Node = DictTrie::Node;

constexpr size_t kLongestEnding =
    std::max_element(ruSuffixes.begin(), ruSuffixes.end(),
                     [](std::string_view a, std::string_view b) { return a.size() < b.size(); })
        ->size();
constexpr size_t kLongestCodePoint = 4;

bool isContinuation(char b) {
  return (static_cast<uint8_t>(b) & 0xC0) == 0x80;
}

}  // namespace

size_t walkPathFrom(const DictTrie& t, std::string_view w, std::vector<Node>& path, size_t known) {
  if (path.size() < w.size() + 1) path.resize(w.size() + 1);
  if (known == 0) path[0] = DictTrie::kRoot;
  Node node = path[known];
  for (size_t i = known; i < w.size(); ++i) {
    node = t.child(node, w[i]);
    if (node == DictTrie::kNoNode) return i;
    path[i + 1] = node;
  }
  return w.size();
}

namespace {

// Bytes of the longest prefix of 3+ code points along the walked path that is
// a stem; 0 when none.
size_t longestStemOn(const DictTrie& t, std::string_view w, const std::vector<Node>& path,
                     size_t live) {
  size_t longest = 0;
  size_t codePoints = 0;
  for (size_t i = 0; i < live; ++i) {
    const bool boundary = i + 1 == w.size() || !isContinuation(w[i + 1]);
    if (boundary && ++codePoints >= 3 && t.isStem(path[i + 1])) longest = i + 1;
  }
  return longest;
}

// Whether w holds ё. Its second byte is rare in Russian text, unlike its first.
bool hasYo(std::string_view w) {
  for (size_t p = w.find(kYo[1], 1); p != std::string_view::npos; p = w.find(kYo[1], p + 1)) {
    if (w[p - 1] == kYo[0]) return true;
  }
  return false;
}

// The last two bytes of a string, as one number.
constexpr uint16_t lastTwoBytes(std::string_view s) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[s.size() - 2]) << 8 |
                               static_cast<uint8_t>(s[s.size() - 1]));
}
static_assert(std::all_of(ruSuffixes.begin(), ruSuffixes.end(),
                          [](std::string_view e) { return e.size() >= 2; }));
constexpr auto kSuffixEnds = [] {
  std::array<uint16_t, ruSuffixes.size()> ends{};
  for (size_t i = 0; i < ruSuffixes.size(); ++i) ends[i] = lastTwoBytes(ruSuffixes[i]);
  return ends;
}();

// Whether stem + some tail of kBaseTails is a word; node is stem's trie node.
bool tailsMake(const Dict& d, Node node) {
  const DictTrie& t = d.image().trie();
  for (const std::string_view tail : kBaseTails) {
    const Node end = t.walk(node, tail);
    if (end != DictTrie::kNoNode && t.isWord(end)) return true;
  }
  return false;
}

// The ending rule. s.path[i] is the node of w's first i bytes, for i up to
// live: every candidate starts with the base minus its last code point, so
// one that leaves the trie before that point is no word.
bool hasThroughEndingsIndexed(const Dict& d, std::string_view w, size_t live, Scratch& s) {
  if (w.size() < 2 || w.size() > live + kLongestEnding + kLongestCodePoint) return false;
  const DictTrie& t = d.image().trie();
  const uint16_t end = lastTwoBytes(w);
  for (size_t i = 0; i < ruSuffixes.size(); ++i) {
    const std::string_view suffix = ruSuffixes[i];
    if (kSuffixEnds[i] != end || !w.ends_with(suffix)) continue;
    const std::string_view base = w.substr(0, w.size() - suffix.size());
    if (countCodePoints(base) < 2) continue;
    if (base.size() <= live && tailsMake(d, s.path[base.size()])) return true;
    char32_t last = 0;
    const size_t lastAt = lastCodePointAt(base, last);
    if (lastAt > live) continue;
    for (const std::string_view repl : alternationsOf(last)) {
      const Node node = t.walk(s.path[lastAt], repl);
      if (node == DictTrie::kNoNode) continue;
      if (tailsMake(d, node)) return true;
    }
  }
  return false;
}

// The stem test, through the path already walked when the stem is a prefix
// of the word (as it is unless the word holds ё).
bool hasStemIndexed(const Dict& d, std::string_view w, size_t live, const Scratch& s) {
  const std::string_view stem = stemWordView(w, "ru");
  if (countCodePoints(stem) < 3) return false;
  if (!w.starts_with(stem)) return d.hasStem(stem);
  return stem.size() <= live && d.image().trie().isStem(s.path[stem.size()]);
}

}  // namespace

bool hasIndexed(const Dict& d, std::string_view w, Scratch& s, bool scriptChecked) {
  return hasIndexedFrom(d, w, s, scriptChecked, 0, false);
}

bool hasIndexedFrom(const Dict& d, std::string_view w, Scratch& s, bool scriptChecked, size_t known,
                    bool deadAtKnown) {
  const DictTrie& t = d.image().trie();
  if (t.empty()) return false;

  // One walk down the trie serves the exact lookup, the stem test and the
  // ending rule.
  const size_t live = deadAtKnown ? known : walkPathFrom(t, w, s.path, known);
  if (live == w.size() && t.isWord(s.path[live])) return true;
  if (!scriptChecked && !matchesDictScript(w, "ru")) return false;
  // With ё the stem is a prefix of the folded word (of the same length).
  const bool yo = hasYo(w);
  size_t foldedLive = 0;
  if (yo) {
    foldYo(w, s.folded);
    foldedLive = walkPathFrom(t, s.folded, s.foldedPath, 0);
    if (foldedLive == w.size() && t.isWord(s.foldedPath[foldedLive])) return true;
  }
  // Every other rule needs a path of the trie along all but the stemmer's
  // longest cut of the word (or of its folded form): a long run of keys
  // ends here.
  const size_t reached = std::max(live, foldedLive);
  const size_t pastReach = countCodePoints(w.substr(reached));
  if (pastReach > kRussianStemmerLongestCut) return false;
  const size_t longestStem =
      yo ? longestStemOn(t, s.folded, s.foldedPath, foldedLive) : longestStemOn(t, w, s.path, live);
  // The stem is no longer than the longest prefix that is one, so the
  // stemmer would have to cut the rest.
  const size_t cut =
      longestStem == 0 ? 0
                       : pastReach + countCodePoints(w.substr(longestStem, reached - longestStem));
  if (longestStem != 0 && cut <= kRussianStemmerLongestCut) {
    // A word the stemmer leaves whole is its own stem.
    if (russianStemmerCutsNothing(w)) {
      if (longestStem == w.size()) return true;
    } else if (russianStemFloorAtMost(w, longestStem) && russianStemmerMayCut(w, cut) &&
               hasStemIndexed(d, w, live, s)) {
      return true;
    }
  }
  return hasThroughEndingsIndexed(d, w, live, s);
}

bool stemFitsIndex(std::string_view word, std::string_view stem) {
  if (stem.size() > word.size() || stem.size() < russianStemFloor(word)) return false;
  for (size_t i = 0; i < stem.size(); ++i) {
    if (stem[i] == word[i]) continue;
    // ё (D1 91) in the word may stand as е (D0 B5) in the stem.
    const bool yoAsYe = i + 1 < stem.size() && word.substr(i, 2) == kYo && stem.substr(i, 2) == "е";
    if (!yoAsYe) return false;
    ++i;
  }
  return true;
}

}  // namespace vyx::dict_detail
