// Snowball stemming for the two word-list languages.
//
// A Snowball stemmer object is not reentrant, so every thread gets its own
// pair, created on first use and freed when the thread ends.
#pragma once

#include <cstddef>
#include <string_view>

namespace vyx {

// The stem of word for "en" or "ru"; "" for any other code. The view points
// into the calling thread's stemmer and stays valid only until that thread
// stems again: callers that keep it copy it (stemWord does).
[[nodiscard]] std::string_view stemWordView(std::string_view word, std::string_view code);

// How much of a word the Russian stemmer always leaves, in bytes. It only cuts
// endings off (after folding ё to е, its result is a prefix of the word), all
// its tests look past the word's first vowel, and its endings are made of the
// letters а в г е и й л м н о с т у х ш щ ы ь ю я alone. So it keeps the word
// up to its first vowel (all of it when there is none) and up to the last
// code point that is not one of those letters.
[[nodiscard]] size_t russianStemFloor(std::string_view word);
// Whether the word's last letter ends none of the Russian stemmer's endings
// (nor anything else it cuts), so that its stem is the word itself with ё read
// as е.
[[nodiscard]] bool russianStemmerCutsNothing(std::string_view word);
// russianStemFloor(word) <= limit, for a limit on a code point boundary,
// reading only the word up to its first vowel and past the limit.
[[nodiscard]] bool russianStemFloorAtMost(std::string_view word, size_t limit);

// The most code points the Russian stemmer ever cuts off a word. It cuts in
// four steps, each at most once and each at the end of what the step before
// left: a gerund ("ившись", 6) or a reflexive ending and then an adjectival
// one (participle and adjective, "ся" + "ующ" + "ими", 8); then "и" (1); then
// "ость" (4); then "ейше" followed by one "н" of "нн" (5). So a word's stem
// has at least its length minus this many code points.
inline constexpr size_t kRussianStemmerLongestCut = 8 + 1 + 4 + 5;
// Whether the Russian stemmer may cut `cut` or more code points off the
// word. Past the first step's 8, it takes only what the later steps remove,
// in this order from the end: "и", then "ост" or "ость", then "ейш", "ейше",
// "нейш", "нейше", "н" or "ь". A run of keys rarely ends that way, so most
// long runs need no stemming at all.
[[nodiscard]] bool russianStemmerMayCut(std::string_view word, size_t cut);

}  // namespace vyx
