// Dict::Has through the index. Every shortcut here skips only lookups that
// cannot succeed, so the answer is the one the rules give (dict_rules.cpp):
//   * the script filter kept out of the list every word with a code point it
//     refuses, and no rule removes such a code point (the stemmers and the
//     Russian endings only remove letters of the list's own script), so a
//     word holding one is found by no rule;
//   * a word, folded word or base + ending is in words only when its bytes
//     are a path of the trie, which holds every word and every stem;
//   * the Russian stem of a word is a prefix of the word with ё folded to е,
//     no shorter than russianStemFloor, so without such a prefix among the
//     stems there is no need to run the stemmer at all.
// A path the trie does have is still confirmed in words or stems, so the
// index only has to hold everything, not exactly everything.
#include <algorithm>
#include <array>
#include <cstdint>

#include "detect/dict.h"
#include "detect/dict_internal.h"
#include "detect/stem.h"

namespace vyx {

namespace dict_detail {

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

// Walks w down the trie as far as it goes. With a path, appends the node
// reached after each byte to it.
struct Walk {
  size_t longestStem = 0;  // bytes of the longest prefix of 3+ code points that is a stem
  bool isWord = false;     // the whole of w is a path that ends a word
};
Walk walkWord(const DictTrie& t, std::string_view w, std::vector<Node>* path) {
  Walk walk;
  size_t codePoints = 0;
  Node node = DictTrie::kRoot;
  for (size_t i = 0; i < w.size(); ++i) {
    node = t.child(node, w[i]);
    if (node == DictTrie::kNoNode) return walk;
    if (path != nullptr) path->push_back(node);
    const bool boundary = i + 1 == w.size() || !isContinuation(w[i + 1]);
    if (boundary && ++codePoints >= 3 && t.isStem(node)) walk.longestStem = i + 1;
  }
  walk.isWord = t.isWord(node);
  return walk;
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
bool tailsMake(const Dict& d, Node node, std::string_view stem, Scratch& s) {
  const DictTrie& t = d.index.trie;
  for (const std::string_view tail : kBaseTails) {
    const Node end = t.walk(node, tail);
    if (end == DictTrie::kNoNode || !t.isWord(end)) continue;
    s.joined.assign(stem);
    s.joined.append(tail);
    if (contains(d.words, s.joined)) return true;
  }
  return false;
}

// The ending rule. s.path[i] is the node of w's first i bytes, for i up to
// live: every candidate starts with the base minus its last code point, so
// one that leaves the trie before that point is no word.
bool hasThroughEndingsIndexed(const Dict& d, std::string_view w, size_t live, Scratch& s) {
  if (w.size() < 2 || w.size() > live + kLongestEnding + kLongestCodePoint) return false;
  const DictTrie& t = d.index.trie;
  const uint16_t end = lastTwoBytes(w);
  for (size_t i = 0; i < ruSuffixes.size(); ++i) {
    const std::string_view suffix = ruSuffixes[i];
    if (kSuffixEnds[i] != end || !w.ends_with(suffix)) continue;
    const std::string_view base = w.substr(0, w.size() - suffix.size());
    if (countCodePoints(base) < 2) continue;
    if (base.size() <= live && tailsMake(d, s.path[base.size()], base, s)) return true;
    char32_t last = 0;
    const size_t lastAt = lastCodePointAt(base, last);
    if (lastAt > live) continue;
    for (const std::string_view repl : alternationsOf(last)) {
      const Node node = t.walk(s.path[lastAt], repl);
      if (node == DictTrie::kNoNode) continue;
      s.candidate.assign(base.substr(0, lastAt));
      s.candidate.append(repl);
      if (tailsMake(d, node, s.candidate, s)) return true;
    }
  }
  return false;
}

}  // namespace

bool indexUsable(const Dict& d) {
  return d.index.built && d.index.wordCount == d.words.size() &&
         d.index.stemCount == d.stems.size();
}

bool hasIndexed(const Dict& d, std::string_view w, Scratch& s) {
  const DictTrie& t = d.index.trie;
  if (t.empty()) return hasByRules(d, w, s);

  // One walk down the trie serves the exact lookup, the stem test and the
  // ending rule.
  s.path.assign(1, DictTrie::kRoot);
  const Walk walk = walkWord(t, w, &s.path);
  const size_t live = s.path.size() - 1;
  if (walk.isWord && contains(d.words, w)) return true;
  size_t longestStem = walk.longestStem;

  // With ё the stem is a prefix of the folded word (of the same length).
  if (hasYo(w)) {
    foldYo(w, s.folded);
    const Walk folded = walkWord(t, s.folded, nullptr);
    if (folded.isWord && contains(d.words, s.folded)) return true;
    longestStem = folded.longestStem;
  }
  if (longestStem != 0 && longestStem >= russianStemFloor(w) && hasStem(d, w)) return true;
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

void buildIndex(Dict& d, bool wordsFiltered) {
  d.index = {};
  const auto passes = [&](const StringSet& set) {
    return std::all_of(set.begin(), set.end(),
                       [&](const std::string& x) { return matchesDictScript(x, d.lang); });
  };
  if ((!wordsFiltered && !passes(d.words)) || !passes(d.stems)) return;  // rules only
  if (d.lang == "ru") d.index.trie = DictTrie(d.words, d.stems);
  d.index.wordCount = d.words.size();
  d.index.stemCount = d.stems.size();
  d.index.built = true;
}

}  // namespace dict_detail

void Dict::buildIndex() {
  dict_detail::buildIndex(*this, false);
}

}  // namespace vyx
