#include "detect/stem.h"

#include <libstemmer.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "detect/dict.h"
#include "text/utf8.h"

namespace vyx {

namespace {

struct StemmerDeleter {
  void operator()(sb_stemmer* s) const { sb_stemmer_delete(s); }
};
using StemmerPtr = std::unique_ptr<sb_stemmer, StemmerDeleter>;

// Created lazily: a thread that only ever stems English never pays for the
// Russian stemmer.
sb_stemmer* threadStemmer(bool russian) {
  thread_local StemmerPtr en;
  thread_local StemmerPtr ru;
  StemmerPtr& slot = russian ? ru : en;
  if (!slot) {
    slot.reset(sb_stemmer_new(russian ? "russian" : "english", "UTF_8"));
  }
  return slot.get();
}

// Sets of the lower-case letters а (U+0430) to я (U+044F), one bit each.
constexpr uint32_t letterMask(std::u32string_view letters) {
  uint32_t mask = 0;
  for (const char32_t c : letters) {
    mask |= uint32_t{1} << (c - U'а');
  }
  return mask;
}
constexpr uint32_t kRussianVowels = letterMask(U"аеиоуыэюя");
constexpr uint32_t kEndingLetters = letterMask(U"авгеийлмностухшщыьюя");
// The last letters of those endings, and of "и", "ость", "ейш", "нн".
constexpr uint32_t kFinalLetters = letterMask(U"авеийлмнотухшыьюя");

bool inMask(char32_t c, uint32_t mask) {
  if (c == U'ё') c = U'е';  // folded before anything else
  return c >= U'а' && c <= U'я' && (mask >> (c - U'а') & 1) != 0;
}

}  // namespace

size_t russianStemFloor(std::string_view word) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(word.data());
  const auto len = static_cast<int32_t>(word.size());
  size_t vowelEnd = word.size();
  size_t fixedEnd = 0;
  bool vowelSeen = false;
  int32_t i = 0;
  while (i < len) {
    UChar32 c = 0;
    U8_NEXT(bytes, i, len, c);
    const auto cp = static_cast<char32_t>(c < 0 ? 0 : c);
    if (!vowelSeen && inMask(cp, kRussianVowels)) {
      vowelSeen = true;
      vowelEnd = static_cast<size_t>(i);
    }
    if (!inMask(cp, kEndingLetters)) {
      fixedEnd = static_cast<size_t>(i);
    }
  }
  return std::max(vowelEnd, fixedEnd);
}

bool russianStemmerCutsNothing(std::string_view word) {
  if (word.empty()) return true;
  const auto* bytes = reinterpret_cast<const uint8_t*>(word.data());
  auto end = static_cast<int32_t>(word.size());
  UChar32 c = 0;
  U8_PREV(bytes, 0, end, c);
  return !inMask(static_cast<char32_t>(c < 0 ? 0 : c), kFinalLetters);
}

bool russianStemFloorAtMost(std::string_view word, size_t limit) {
  if (limit >= word.size()) return true;
  const auto* bytes = reinterpret_cast<const uint8_t*>(word.data());
  const auto len = static_cast<int32_t>(word.size());
  const auto next = [&](int32_t& i) {
    UChar32 c = 0;
    U8_NEXT(bytes, i, len, c);
    return static_cast<char32_t>(c < 0 ? 0 : c);
  };
  // The first vowel ends within the limit (a word without one is kept whole).
  int32_t i = 0;
  for (bool vowel = false; !vowel;) {
    if (i >= len) return false;
    vowel = inMask(next(i), kRussianVowels);
    if (static_cast<size_t>(i) > limit) return false;
  }
  // No code point past the limit is one the stemmer never cuts.
  for (i = static_cast<int32_t>(limit); i < len;) {
    if (!inMask(next(i), kEndingLetters)) return false;
  }
  return true;
}

namespace {

// The first step's longest cut, see kRussianStemmerLongestCut.
constexpr size_t kFirstStepLongestCut = 8;
// The letters of what the steps after the first remove.
constexpr uint32_t kLaterStepLetters = letterMask(U"иостьейшн");

// Whether `ending` ends at rev[at], where rev holds the word's last code
// points, the last first.
bool endsAt(const char32_t* rev, size_t count, size_t at, std::u32string_view ending) {
  if (at + ending.size() > count) return false;
  for (size_t j = 0; j < ending.size(); ++j) {
    if (rev[at + j] != ending[ending.size() - 1 - j]) return false;
  }
  return true;
}

}  // namespace

bool russianStemmerMayCut(std::string_view word, size_t cut) {
  if (cut <= kFirstStepLongestCut) return true;
  if (cut > kRussianStemmerLongestCut) return false;
  // The word's last code points, the last first, ё read as е as the
  // stemmer reads it. Those the first step cannot reach must all be
  // letters of the later steps' endings, which most runs of keys fail early.
  std::array<char32_t, kRussianStemmerLongestCut> rev{};
  size_t count = 0;
  const auto* bytes = reinterpret_cast<const uint8_t*>(word.data());
  auto end = static_cast<int32_t>(word.size());
  while (end > 0 && count < rev.size()) {
    UChar32 c = 0;
    if (end >= 2 && bytes[end - 2] >= 0xC2 && bytes[end - 2] <= 0xDF &&
        (bytes[end - 1] & 0xC0) == 0x80) {
      // Two bytes, as every Cyrillic letter: no need for ICU's general case.
      c = (bytes[end - 2] & 0x1F) << 6 | (bytes[end - 1] & 0x3F);
      end -= 2;
    } else {
      U8_PREV(bytes, 0, end, c);
    }
    const char32_t cp = c == U'ё' ? U'е' : static_cast<char32_t>(c < 0 ? 0 : c);
    if (count >= kFirstStepLongestCut && count < cut && !inMask(cp, kLaterStepLetters)) {
      return false;
    }
    rev[count++] = cp;
  }
  if (count < cut) return false;
  // Each later step takes the longest of its endings that fits: a shorter
  // one, or none, never lets the steps after it take more.
  constexpr std::u32string_view kSecond[] = {U"и"};
  constexpr std::u32string_view kThird[] = {U"ость", U"ост"};
  constexpr std::u32string_view kFourth[] = {U"нейше", U"ейше", U"нейш", U"ейш", U"н", U"ь"};
  const auto longestAt = [&](size_t at, std::span<const std::u32string_view> endings) -> size_t {
    for (const std::u32string_view e : endings) {
      if (endsAt(rev.data(), count, at, e)) return e.size();
    }
    return 0;
  };
  const auto laterSteps = [&](size_t at) {
    size_t end = at;
    end += longestAt(end, kSecond);
    end += longestAt(end, kThird);
    end += longestAt(end, kFourth);
    return end - at;
  };
  // The later steps together take at most what is left of the longest cut.
  constexpr size_t kLaterStepsLongestCut = kRussianStemmerLongestCut - kFirstStepLongestCut;
  for (size_t first = cut - std::min(cut, kLaterStepsLongestCut); first <= kFirstStepLongestCut;
       ++first) {
    if (first + laterSteps(first) >= cut) return true;
  }
  return false;
}

std::string_view stemWordView(std::string_view word, std::string_view code) {
  const bool russian = code == "ru";
  if (!russian && code != "en") {
    return {};
  }
  if (word.size() > static_cast<size_t>(INT_MAX)) {
    return {};
  }
  sb_stemmer* stemmer = threadStemmer(russian);
  if (stemmer == nullptr) {
    return {};  // out of memory: no stem rather than a crash
  }
  const sb_symbol* out = sb_stemmer_stem(stemmer, reinterpret_cast<const sb_symbol*>(word.data()),
                                         static_cast<int>(word.size()));
  if (out == nullptr) {
    return {};
  }
  return {reinterpret_cast<const char*>(out), static_cast<size_t>(sb_stemmer_length(stemmer))};
}

std::string stemWord(std::string_view word, std::string_view code) {
  // Snowball trusts its input to be well-formed UTF-8; repair it first.
  std::string repaired = encodeUtf8(decodeUtf8(word));
  return std::string(stemWordView(repaired, code));
}

}  // namespace vyx
