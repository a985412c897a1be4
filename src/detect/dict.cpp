#include "detect/dict.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <string>

#include "detect/dict_internal.h"
#include "detect/stem.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx {

namespace dict_detail {

Scratch& scratch() {
  thread_local Scratch s;
  return s;
}

}  // namespace dict_detail

namespace {

using dict_detail::Scratch;

// Every letter of fuzzyAlphabet is two bytes of UTF-8, so FuzzyFind can
// overwrite one letter of a candidate in place.
using Utf8Pair = std::array<char, 2>;
constexpr auto kAlphabetUtf8 = [] {
  std::array<Utf8Pair, fuzzyAlphabet.size()> out{};
  for (size_t i = 0; i < fuzzyAlphabet.size(); ++i) {
    const char32_t c = fuzzyAlphabet[i];
    out[i] = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
  }
  return out;
}();

char32_t lowerCodePoint(char32_t c) {
  // The Russian alphabet dominates lookups; skip ICU for it.
  if (c >= 0x410 && c <= 0x42F) {
    return c + 0x20;
  }
  if (c >= 0x430 && c <= 0x45F) {
    return c;
  }
  if (c >= 0x400 && c <= 0x40F) {
    return c + 0x50;
  }
  return toLower(c);
}

// Lower-cases s into out code point by code point (as toLower does), reading
// ill-formed sequences as U+FFFD.
// Whether s is well-formed and already lower case in the alphabets the lists
// use: ASCII other than A-Z, and the lower-case Russian block (а-я D0 B0-BF,
// р-я and ѐ-џ D1 80-9F). Most looked-up words are, and need no decoding.
bool plainLowerCase(std::string_view s) {
  const auto* b = reinterpret_cast<const uint8_t*>(s.data());
  const size_t n = s.size();
  for (size_t i = 0; i < n; ++i) {
    if (b[i] < 0x80) {
      if (b[i] >= 'A' && b[i] <= 'Z') return false;
      continue;
    }
    if (i + 1 == n) return false;
    const uint8_t c = b[i + 1];
    const bool lower =
        (b[i] == 0xD0 && c >= 0xB0 && c <= 0xBF) || (b[i] == 0xD1 && c >= 0x80 && c <= 0x9F);
    if (!lower) return false;
    ++i;
  }
  return true;
}

void lowerInto(std::string_view s, std::string& out) {
  if (plainLowerCase(s)) {
    out.assign(s);
    return;
  }
  out.clear();
  const auto* bytes = reinterpret_cast<const uint8_t*>(s.data());
  const auto len = static_cast<int32_t>(s.size());
  int32_t i = 0;
  while (i < len) {
    if (bytes[i] < 0x80) {
      const char ch = static_cast<char>(bytes[i++]);
      out += (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch + 32) : ch;
      continue;
    }
    UChar32 c = 0;
    U8_NEXT(bytes, i, len, c);
    appendUtf8(out, c < 0 ? kReplacementChar : lowerCodePoint(static_cast<char32_t>(c)));
  }
}

}  // namespace

Dict::Dict(DictImage image)
    : image_(std::move(image)), indexed_(image_.indexed()), russian_(image_.lang() == "ru") {}

bool Dict::Has(std::string_view word) const {
  Scratch& s = dict_detail::scratch();
  lowerInto(word, s.lower);
  if (!indexed_) {
    return dict_detail::hasByRules(*this, s.lower, s);
  }
  if (russian_) {
    // A code point takes a byte at least: most words need no counting.
    if (s.lower.size() > longestAccepted() &&
        beyondLongest(dict_detail::countCodePoints(s.lower))) {
      return false;
    }
    return dict_detail::hasIndexed(*this, s.lower, s, false);
  }
  // The script filter kept every word with another script's letter out of
  // the list, and no rule removes such a letter.
  return matchesDictScript(s.lower, lang()) && dict_detail::hasByRules(*this, s.lower, s);
}

std::optional<std::string> Dict::FuzzyFind(std::string_view word) const {
  const std::u32string r = decodeUtf8(word);
  const size_t n = r.size();
  // Every candidate keeps at least n - 1 code points.
  if (n > 0 && beyondLongest(n - 1)) return std::nullopt;
  // Candidates are built from the lower-cased word: Has would lower-case
  // them anyway, and case mapping goes code point by code point. The answer
  // is rebuilt from the word as given.
  std::string lower;
  std::vector<size_t> at(n + 1, 0);  // byte offset of each code point in lower
  // With the index, a candidate keeping a code point that the list's script
  // filter refuses is never found (see dict_index.cpp): with two such code
  // points no edit helps, with one only replacing or deleting it can.
  const bool indexed = indexed_;
  size_t refused = 0;
  size_t refusedAt = n;
  for (size_t i = 0; i < n; ++i) {
    at[i] = lower.size();
    const char32_t c = lowerCodePoint(r[i]);
    appendUtf8(lower, c);
    if (indexed && !dict_detail::scriptAllows(c, lang())) {
      ++refused;
      refusedAt = i;
    }
  }
  at[n] = lower.size();
  if (refused > 1) {
    return std::nullopt;
  }
  std::array<bool, fuzzyAlphabet.size()> letterAllowed{};
  for (size_t k = 0; k < fuzzyAlphabet.size(); ++k) {
    letterAllowed[k] = !indexed || dict_detail::scriptAllows(fuzzyAlphabet[k], lang());
  }
  const auto editable = [&](size_t i) { return refused == 0 || i == refusedAt; };

  std::string cand;
  cand.reserve(lower.size() + 2);
  Scratch& s = dict_detail::scratch();
  // Every candidate edited at code point i shares the word's first at[i]
  // bytes, so their walk down the trie starts from the word's own walk.
  const bool walkShared = indexed && russian_;
  std::vector<uint32_t> wordPath;
  const size_t wordLive =
      walkShared ? dict_detail::walkPathFrom(image_.trie(), lower, wordPath, 0) : 0;
  // Any rule finds a candidate only when it, or its ё-folded form, begins
  // with a path of the trie that holds all but kRussianStemmerLongestCut of
  // its code points: its stem is no shorter, and the base of an ending rule
  // less one letter is shorter by less. A candidate edited after the first
  // `walked` code points, where both walks of the word end, begins with no
  // longer a path than the word does; so past that point only candidates of
  // at most `reach` code points are worth a lookup.
  size_t walked = n;
  size_t reach = SIZE_MAX;
  if (walkShared) {
    size_t liveBytes = wordLive;
    if (lower.find(dict_detail::kYo) != std::string::npos) {
      std::string folded;
      std::vector<uint32_t> foldedPath;
      dict_detail::foldYo(lower, folded);
      liveBytes =
          std::max(liveBytes, dict_detail::walkPathFrom(image_.trie(), folded, foldedPath, 0));
    }
    walked = 0;
    while (walked < n && at[walked + 1] <= liveBytes) ++walked;
    reach = walked + kRussianStemmerLongestCut;
  }
  const auto hopeless = [&](size_t i, size_t candidateLength) {
    return i > walked && candidateLength > reach;
  };
  size_t known = 0;
  bool deadAtKnown = false;
  const auto editAt = [&](size_t i) {
    cand.assign(lower, 0, at[i]);
    if (!walkShared) return;
    known = std::min(at[i], wordLive);
    deadAtKnown = wordLive < at[i];
    if (s.path.size() < known + 1) s.path.resize(known + 1);
    std::copy_n(wordPath.begin(), known + 1, s.path.begin());
  };
  const auto has = [&](std::string_view c) {
    return walkShared ? dict_detail::hasIndexedFrom(*this, c, s, true, known, deadAtKnown)
                      : dict_detail::hasByRules(*this, c, s);
  };
  const auto answer = [&](size_t keep, std::u32string_view mid, size_t resume) {
    std::u32string out(r.substr(0, keep));
    out += mid;
    out += r.substr(resume);
    return encodeUtf8(out);
  };

  for (size_t i = 0; i <= n && refused == 0 && !hopeless(i, n + 1); ++i) {
    editAt(i);
    cand.append(2, '\0');
    cand.append(lower, at[i]);
    for (size_t k = 0; k < kAlphabetUtf8.size(); ++k) {
      if (!letterAllowed[k]) {
        continue;
      }
      cand[at[i]] = kAlphabetUtf8[k][0];
      cand[at[i] + 1] = kAlphabetUtf8[k][1];
      if (has(cand)) {
        return answer(i, fuzzyAlphabet.substr(k, 1), i);
      }
    }
  }
  for (size_t i = 0; i < n && !hopeless(i, n); ++i) {
    if (!editable(i)) {
      continue;
    }
    editAt(i);
    cand.append(2, '\0');
    cand.append(lower, at[i + 1]);
    for (size_t k = 0; k < kAlphabetUtf8.size(); ++k) {
      if (fuzzyAlphabet[k] == r[i] || !letterAllowed[k]) {
        continue;
      }
      cand[at[i]] = kAlphabetUtf8[k][0];
      cand[at[i] + 1] = kAlphabetUtf8[k][1];
      if (has(cand)) {
        return answer(i, fuzzyAlphabet.substr(k, 1), i + 1);
      }
    }
  }
  for (size_t i = 0; i < n && !hopeless(i, n - 1); ++i) {
    if (!editable(i)) {
      continue;
    }
    editAt(i);
    cand.append(lower, at[i + 1]);
    if (has(cand)) {
      return answer(i, {}, i + 1);
    }
  }
  return std::nullopt;
}

int64_t Dict::rankOf(std::string_view lowerWord) const {
  const DictTrie& t = image_.trie();
  if (t.empty()) return 0;
  const DictTrie::Node n = t.walk(DictTrie::kRoot, lowerWord);
  return n != DictTrie::kNoNode && t.isWord(n) ? image_.rankAt(n) : 0;
}

}  // namespace vyx
