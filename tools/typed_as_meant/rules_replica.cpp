#include "rules_replica.h"

#include "detect/keymaps.h"
#include "pipeline/buffer.h"
#include "pipeline/key_codes.h"
#include "pipeline/word_decision.h"
#include "text/utf8.h"

namespace vyx::quality {

RuleAnswer RulesReplica::apply(const std::u32string& typed, const std::vector<uint16_t>& keys) {
  RuleAnswer out{typed, std::vector<std::string>(typed.size())};
  size_t at = 0;
  ptrdiff_t shift = 0;  // a fix of another length moves what follows
  Buffer buffer([&](const std::string& word, char32_t boundary) {
    const WordDecision wd = decideFinishedWord(cfg_, nullptr, detector_, word,
                                               [] { return std::string("com.apple.TextEdit"); });
    const std::u32string w = decodeUtf8(wd.judged);
    const bool attached = sentenceEndPunct.contains(boundary) && !w.empty() && w.back() == boundary;
    const size_t end = attached ? at + 1 : at;
    const size_t begin = end - std::min(end, w.size());
    if (!wd.skipReason.empty()) {
      for (size_t i = begin; i < end; ++i) out.skipReason[i] = wd.skipReason;
      return false;
    }
    const Decision& d = wd.decision;
    if (!d.wrong) return false;
    std::u32string fixed = decodeUtf8(d.fixed);
    if (d.punct != 0) fixed.push_back(d.punct);
    // A word shows its fix in its own place; the boundary stays where it was.
    out.text.replace(static_cast<size_t>(static_cast<ptrdiff_t>(begin) + shift), end - begin,
                     fixed);
    shift += static_cast<ptrdiff_t>(fixed.size()) - static_cast<ptrdiff_t>(end - begin);
    return false;
  });
  for (; at < typed.size(); ++at) {
    const char32_t c = typed[at];
    const bool capitalKey = at < keys.size() && isCapitalLetterKeyPress(keys[at], c);
    (void)(capitalKey ? buffer.AddCapitalLetterKey(c) : buffer.Add(c));
  }
  return out;
}

}  // namespace vyx::quality
