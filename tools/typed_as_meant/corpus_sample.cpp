#include "corpus_sample.h"

#include <fstream>

#include "os/sim/desktop.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx::quality {

namespace {

using os::sim::Desktop;
using os::sim::KeyLayout;

bool typable(const std::string& word) {
  const std::u32string w = decodeUtf8(word);
  if (w.empty()) return false;
  for (char32_t c : w) {
    if (!Desktop::keyFor(KeyLayout::us, c) && !Desktop::keyFor(KeyLayout::russianMac, c)) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::vector<std::string> readTypableWords(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> out;
  for (std::string line; std::getline(in, line);) {
    const std::string w(trimSpace(line));
    if (typable(w)) out.push_back(w);
  }
  return out;
}

std::string Sentence::text() const {
  std::string out;
  for (const std::string& w : words) out += w + " ";
  return out;
}

std::vector<Sentence> sampleSentences(const std::vector<std::string>& corpus, size_t words,
                                      size_t maxStretch, std::mt19937& rng) {
  std::vector<Sentence> out;
  if (corpus.size() < 20) return out;
  std::uniform_int_distribution<size_t> length(4, 14);
  std::uniform_int_distribution<size_t> start(0, corpus.size() - 15);
  std::uniform_int_distribution<size_t> stretch(1, maxStretch);
  size_t taken = 0;
  while (taken < words) {
    Sentence s;
    const size_t from = start(rng);
    const size_t n = length(rng);
    for (size_t i = 0; i < n; ++i) {
      std::string w = corpus[from + i];
      if (i + 1 == n) {
        w += ".";
      } else if (rng() % 10 == 0) {
        w += ",";
      }
      s.words.push_back(std::move(w));
    }
    for (size_t at = 0; at < n; at += stretch(rng)) s.pauses.push_back(at);
    taken += n;
    out.push_back(std::move(s));
  }
  return out;
}

}  // namespace vyx::quality
