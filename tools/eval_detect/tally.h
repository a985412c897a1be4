// Counting outcomes of one evaluation pass and naming its most frequent
// failures.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vyx::eval {

struct Tally {
  std::string title;
  size_t total = 0;
  size_t counted = 0;            // the outcome the figure is about
  size_t nearMiss = 0;           // word restored, punctuation not (punctuation passes only)
  size_t cutShort = 0;           // fixed to a shorter word followed by the key that ended it
  size_t cutShortLetterKey = 0;  // the same with [ ] ` \ or ' (keys of х ъ ё э)
  size_t keptAsEnglish = 0;      // left as typed because it is an English-list word
  std::unordered_map<std::string, size_t> failures;  // "typed → answer" -> count

  // failure is empty when the outcome is no failure.
  void add(bool count, const std::string& failure) {
    ++total;
    if (count) ++counted;
    if (!failure.empty()) ++failures[failure];
  }

  [[nodiscard]] double percent(size_t n) const {
    return total == 0 ? 0.0 : 100.0 * static_cast<double>(n) / static_cast<double>(total);
  }

  // Prints "title: n / total = p%" and the top failures.
  void print(std::FILE* out, const char* figure, size_t n, size_t top) const {
    std::fprintf(out, "%s\n  %s: %zu / %zu = %.3f%%\n", title.c_str(), figure, n, total,
                 percent(n));
    if (nearMiss > 0) {
      std::fprintf(out, "  of the misses, word restored but punctuation different: %zu (%.3f%%)\n",
                   nearMiss, percent(nearMiss));
    }
    if (cutShort > 0 || keptAsEnglish > 0) {
      std::fprintf(out, "  cut short: %zu (%.3f%%), of them with [ ] ` \\ or ': %zu\n", cutShort,
                   percent(cutShort), cutShortLetterKey);
      std::fprintf(out, "  kept because typed as an English-list word: %zu (%.3f%%)\n",
                   keptAsEnglish, percent(keptAsEnglish));
    }
    std::vector<std::pair<std::string, size_t>> sorted(failures.begin(), failures.end());
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
      return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    if (sorted.size() > top) sorted.resize(top);
    for (const auto& [what, count] : sorted)
      std::fprintf(out, "    %7zu  %s\n", count, what.c_str());
  }
};

}  // namespace vyx::eval
