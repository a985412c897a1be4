#include "detect/dict.h"

#include <unicode/utf8.h>

#include <array>
#include <string>

#include "detect/stem.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx {

namespace {

constexpr std::string_view kYo = "ё";
constexpr std::string_view kYe = "е";

// Has appends these to every candidate base, in this order: the infinitive
// endings first, then the bare base and its common nominal forms.
constexpr auto kBaseTails = [] {
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

// Reused across calls so that a lookup allocates nothing once warm. Per
// thread, because a Dict is read from any thread without a lock.
struct Scratch {
  std::string lower;
  std::string folded;
  std::string candidate;
};
Scratch& scratch() {
  thread_local Scratch s;
  return s;
}

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
void lowerInto(std::string_view s, std::string& out) {
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

// Code points of well-formed UTF-8: every byte but the continuation bytes.
size_t countCodePoints(std::string_view s) {
  size_t n = 0;
  for (const char ch : s) {
    n += (static_cast<uint8_t>(ch) & 0xC0) != 0x80;
  }
  return n;
}

// Calls f(candidate) for base and then each variant with its final consonant
// alternated, in order, writing each into buf; stops at the first true.
template <class F>
bool forEachAlternative(std::string_view base, std::string& buf, F&& f) {
  buf.assign(base);
  if (f(buf)) {
    return true;
  }
  if (countCodePoints(base) < 2) {
    return false;
  }
  const auto* bytes = reinterpret_cast<const uint8_t*>(base.data());
  auto end = static_cast<int32_t>(base.size());
  UChar32 last = 0;
  U8_PREV(bytes, 0, end, last);  // end now indexes the last code point
  for (const std::string_view repl : alternationsOf(static_cast<char32_t>(last))) {
    buf.assign(base.substr(0, static_cast<size_t>(end)));
    buf.append(repl);
    if (f(buf)) {
      return true;
    }
  }
  return false;
}

bool contains(const StringSet& set, std::string_view key) {
  return set.find(key) != set.end();
}

// The Russian ending rule: strip a known ending and look for the dictionary
// form of what is left (an infinitive, the bare stem or a nominal form).
bool hasThroughEndings(const Dict& d, std::string_view w, Scratch& s) {
  for (const std::string_view suffix : ruSuffixes) {
    if (!w.ends_with(suffix)) {
      continue;
    }
    const std::string_view base = w.substr(0, w.size() - suffix.size());
    if (countCodePoints(base) < 2) {
      continue;
    }
    const bool found = forEachAlternative(base, s.candidate, [&](std::string& cand) {
      const size_t stemLen = cand.size();
      for (const std::string_view tail : kBaseTails) {
        cand.resize(stemLen);
        cand.append(tail);
        if (contains(d.words, cand)) {
          return true;
        }
      }
      return false;
    });
    if (found) {
      return true;
    }
  }
  return false;
}

// Has for a word that is already lower-case and well-formed UTF-8.
bool hasLowered(const Dict& d, std::string_view w, Scratch& s) {
  if (contains(d.words, w)) {
    return true;
  }
  const bool russian = d.lang == "ru";
  if (russian && w.find(kYo) != std::string_view::npos) {
    s.folded.assign(w);
    for (size_t p = s.folded.find(kYo); p != std::string::npos; p = s.folded.find(kYo, p)) {
      s.folded.replace(p, kYo.size(), kYe);
    }
    if (contains(d.words, s.folded)) {
      return true;
    }
  }
  const std::string_view stem = stemWordView(w, d.lang);
  if (countCodePoints(stem) >= 3 && contains(d.stems, stem)) {
    return true;
  }
  return russian && hasThroughEndings(d, w, s);
}

}  // namespace

bool Dict::Has(std::string_view word) const {
  Scratch& s = scratch();
  lowerInto(word, s.lower);
  return hasLowered(*this, s.lower, s);
}

std::optional<std::string> Dict::FuzzyFind(std::string_view word) const {
  const std::u32string r = decodeUtf8(word);
  const size_t n = r.size();
  // Candidates are built from the lower-cased word: Has would lower-case
  // them anyway, and case mapping goes code point by code point. The answer
  // is rebuilt from the word as given.
  std::string lower;
  std::vector<size_t> at(n + 1, 0);  // byte offset of each code point in lower
  for (size_t i = 0; i < n; ++i) {
    at[i] = lower.size();
    appendUtf8(lower, lowerCodePoint(r[i]));
  }
  at[n] = lower.size();

  Scratch& s = scratch();
  std::string cand;
  cand.reserve(lower.size() + 2);
  const auto answer = [&](size_t keep, std::u32string_view mid, size_t resume) {
    std::u32string out(r.substr(0, keep));
    out += mid;
    out += r.substr(resume);
    return encodeUtf8(out);
  };

  for (size_t i = 0; i <= n; ++i) {
    cand.assign(lower, 0, at[i]);
    cand.append(2, '\0');
    cand.append(lower, at[i]);
    for (size_t k = 0; k < kAlphabetUtf8.size(); ++k) {
      cand[at[i]] = kAlphabetUtf8[k][0];
      cand[at[i] + 1] = kAlphabetUtf8[k][1];
      if (hasLowered(*this, cand, s)) {
        return answer(i, fuzzyAlphabet.substr(k, 1), i);
      }
    }
  }
  for (size_t i = 0; i < n; ++i) {
    cand.assign(lower, 0, at[i]);
    cand.append(2, '\0');
    cand.append(lower, at[i + 1]);
    for (size_t k = 0; k < kAlphabetUtf8.size(); ++k) {
      if (fuzzyAlphabet[k] == r[i]) {
        continue;
      }
      cand[at[i]] = kAlphabetUtf8[k][0];
      cand[at[i] + 1] = kAlphabetUtf8[k][1];
      if (hasLowered(*this, cand, s)) {
        return answer(i, fuzzyAlphabet.substr(k, 1), i + 1);
      }
    }
  }
  for (size_t i = 0; i < n; ++i) {
    cand.assign(lower, 0, at[i]);
    cand.append(lower, at[i + 1]);
    if (hasLowered(*this, cand, s)) {
      return answer(i, {}, i + 1);
    }
  }
  return std::nullopt;
}

int64_t Dict::rankOf(std::string_view lowerWord) const {
  const auto it = ranks.find(lowerWord);
  return it == ranks.end() ? 0 : it->second;
}

std::vector<std::string> alternateConsonants(std::string_view base) {
  std::vector<std::string> out;
  std::string buf;
  (void)forEachAlternative(base, buf, [&](const std::string& cand) {
    out.push_back(cand);
    return false;
  });
  return out;
}

}  // namespace vyx
