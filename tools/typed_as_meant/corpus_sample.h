// Running text from a corpus of one word a line: sentences of consecutive
// words from random places, with commas here and there and a full stop at
// the end, cut into the stretches a person types between pauses.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vyx::quality {

// The corpus's words in order, without those that a key of neither layout
// types (letters of other alphabets, symbols).
[[nodiscard]] std::vector<std::string> readTypableWords(const std::string& path);

struct Sentence {
  std::vector<std::string> words;          // punctuation attached
  std::vector<size_t> pauses;              // word indexes before which the person pauses
  [[nodiscard]] std::string text() const;  // words joined by spaces, a space after the last
};

// Sentences of 4 to 14 words until about `words` words are taken.
[[nodiscard]] std::vector<Sentence> sampleSentences(const std::vector<std::string>& corpus,
                                                    size_t words, size_t maxStretch,
                                                    std::mt19937& rng);

}  // namespace vyx::quality
