#include "rules_replica.h"

#include "detect/keymaps.h"
#include "pipeline/buffer.h"
#include "pipeline/skip_rules.h"
#include "text/utf8.h"

namespace vyx::quality {

RuleAnswer RulesReplica::apply(const std::u32string& typed) {
  RuleAnswer out{typed, std::vector<std::string>(typed.size())};
  size_t at = 0;
  ptrdiff_t shift = 0;  // a fix of another length moves what follows
  Buffer buffer([&](const std::string& word, char32_t boundary) {
    const std::u32string w = decodeUtf8(word);
    const bool attached = sentenceEndPunct.contains(boundary) && !w.empty() && w.back() == boundary;
    const size_t end = attached ? at + 1 : at;
    const size_t begin = end - std::min(end, w.size());
    const SkipDecision skip = shouldSkipWordReasonWithFrontmost(
        cfg_, nullptr, word, [] { return std::string("com.apple.TextEdit"); });
    if (skip.skip) {
      for (size_t i = begin; i < end; ++i) out.skipReason[i] = skip.reason;
      return false;
    }
    const Decision d = detector_.CheckWithTrailingPunct(word);
    if (!d.wrong) return false;
    std::u32string fixed = decodeUtf8(d.fixed);
    if (d.punct != 0) fixed.push_back(d.punct);
    // A word shows its fix in its own place; the boundary stays where it was.
    out.text.replace(static_cast<size_t>(static_cast<ptrdiff_t>(begin) + shift), end - begin,
                     fixed);
    shift += static_cast<ptrdiff_t>(fixed.size()) - static_cast<ptrdiff_t>(end - begin);
    return false;
  });
  for (; at < typed.size(); ++at) (void)buffer.Add(typed[at]);
  return out;
}

}  // namespace vyx::quality
