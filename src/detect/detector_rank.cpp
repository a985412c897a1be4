// Whether a final QWERTY punctuation key after a Russian word was meant as
// punctuation or as the Russian letter on that key, judged by how common the
// word with and without that letter is.
#include <algorithm>
#include <array>
#include <initializer_list>

#include "detect/detector.h"
#include "detect/keymaps.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx {

namespace {

struct LemmaRule {
  std::string_view ending;
  std::initializer_list<std::string_view> lemmaEndings;
};

// Endings made by the letters on the full stop (ю), comma (б) and semicolon
// (ж) keys, and the dictionary-form endings of the words they would end.
const std::array<LemmaRule, 8> lemmaRules = {{
    {"аю", {"ать"}},
    {"яю", {"ять"}},
    {"ую", {"овать", "евать", "ть"}},
    {"ью", {"ья", "ь"}},
    {"ию", {"ия", "ий"}},
    {"ю", {"ить", "еть", "ать", "ять", "ть", "я"}},
    {"б", {"ба", "бы"}},
    {"ж", {"жа", "жи"}},
}};

// Which word is the likelier reading: the prefix wins only when it is more
// than this many times as frequent (by rank) as the whole word's lemma.
constexpr int64_t kPrefixRankFactor = 20;

std::string folded(std::string_view lower) {
  std::u32string l = decodeUtf8(lower);
  std::replace(l.begin(), l.end(), U'ё', U'е');
  return encodeUtf8(l);
}

// The rank of a lower-case word as written, or else with ё written as е, the
// way the shipped list spells it.
int64_t rankOfEitherSpelling(const Dict& d, std::string_view lower) {
  const int64_t rank = d.rankOf(lower);
  if (rank > 0 || lower.find("ё") == std::string_view::npos) return rank;
  return d.rankOf(folded(lower));
}

}  // namespace

int64_t Detector::lemmaRank(std::u32string_view w) const {
  const std::string l = encodeUtf8(toLower(w));
  if (const int64_t rank = rankOfEitherSpelling(ruDict, l); rank > 0) return rank;
  int64_t best = 0;
  for (const LemmaRule& rule : lemmaRules) {
    if (!l.ends_with(rule.ending)) continue;
    const std::string_view stem = std::string_view(l).substr(0, l.size() - rule.ending.size());
    if (codePointCount(stem) < 2) continue;
    for (const std::string_view lemmaEnding : rule.lemmaEndings) {
      std::string lemma(stem);
      lemma += lemmaEnding;
      const int64_t rank = rankOfEitherSpelling(ruDict, lemma);
      if (rank > 0 && (best == 0 || rank < best)) best = rank;
    }
  }
  return best;
}

bool Detector::tailIsPunctuation(std::u32string_view full, std::u32string_view prefix) const {
  // A whole Russian word form (умолчанию, общественную) keeps its letter: the
  // list holds mostly dictionary forms, so the forms compiled in beside it
  // count too, and its own spelling with ё.
  const std::string lower = encodeUtf8(toLower(full));
  if (ruDict.hasWord(lower) || ruDict.hasWordForm(folded(lower))) return false;
  const int64_t rank = lemmaRank(full);
  if (rank == 0) return true;
  const int64_t prefixRank = rankOfEitherSpelling(ruDict, encodeUtf8(toLower(prefix)));
  if (prefixRank == 0) return false;
  return rank > kPrefixRankFactor * prefixRank;
}

bool Detector::qwertyTailIsLetter(std::u32string_view word) const {
  const std::u32string full = convertScript(kScriptLatin, word);
  const std::u32string_view pre = std::u32string_view(full).substr(0, full.size() - 1);
  return inRuDict(full) && !tailIsPunctuation(full, pre);
}

}  // namespace vyx
