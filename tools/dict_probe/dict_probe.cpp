// dict_probe: prints what the embedded word lists answer for words derived
// from a corpus, one line per probe, so two builds can be compared with diff
// (the word lists' representation must never change an answer).
//
//   dict_probe [--fuzzy] WORDS_FILE... > answers.txt
//
// For every distinct word of the files and its conversion to the other
// layout, lower-cased: the word, the word without its last one and two code
// points, and the word with each Russian ending of the lookup rules; for each,
// Has of both lists ("<word> ru en", answers as 0/1). With --fuzzy, also
// FuzzyFind of the Russian list for every conversion of six or more code
// points (the detector's only use of it), which takes a while.
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "detect/dict.h"
#include "detect/keymaps.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace {

std::string dropLast(const std::u32string& w, size_t n) {
  return vyx::encodeUtf8(std::u32string_view(w).substr(0, w.size() - std::min(w.size(), n)));
}

}  // namespace

int main(int argc, char** argv) {
  bool fuzzy = false;
  std::set<std::string> words;
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--fuzzy") {
      fuzzy = true;
      continue;
    }
    std::ifstream in(argv[i]);
    if (!in) {
      std::fprintf(stderr, "cannot read %s\n", argv[i]);
      return 1;
    }
    for (std::string line; std::getline(in, line);) {
      const std::string w = vyx::toLower(vyx::trimSpace(line));
      if (w.empty()) continue;
      words.insert(w);
      words.insert(vyx::toLower(vyx::convertScript(vyx::detectScript(w), w)));
    }
  }
  const vyx::Result<vyx::Dict> ru = vyx::LoadDict("ru");
  const vyx::Result<vyx::Dict> en = vyx::LoadDict("en");
  if (!ru || !en) return 1;
  size_t probes = 0;
  const auto probe = [&](const std::string& p) {
    ++probes;
    std::printf("%s %d %d\n", p.c_str(), ru->Has(p) ? 1 : 0, en->Has(p) ? 1 : 0);
  };
  for (const std::string& w : words) {
    const std::u32string u = vyx::decodeUtf8(w);
    probe(w);
    probe(dropLast(u, 1));
    probe(dropLast(u, 2));
    for (const std::string_view e : vyx::ruSuffixes) probe(w + std::string(e));
    if (fuzzy && vyx::detectScript(w) == vyx::kScriptLatin && u.size() >= 6) {
      const std::string c = vyx::convertScript(vyx::kScriptLatin, w);
      const std::optional<std::string> f = ru->FuzzyFind(c);
      std::printf("fuzzy %s %s\n", c.c_str(), f ? f->c_str() : "-");
    }
  }
  std::fprintf(stderr, "%zu distinct words, %zu probes\n", words.size(), probes);
  return 0;
}
