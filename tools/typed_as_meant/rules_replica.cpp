#include "rules_replica.h"

#include <algorithm>

#include "detect/keymaps.h"
#include "pipeline/buffer.h"
#include "pipeline/convert_by_script.h"
#include "pipeline/key_codes.h"
#include "pipeline/layout_keys.h"
#include "pipeline/word_decision.h"
#include "text/utf8.h"

namespace vyx::quality {

namespace {

// The key as `source` gives it, when the text came from a layout at all.
std::u32string readOn(KeyLayout source, const PressedKey& key) {
  for (const KeyLayout pressedOn : {KeyLayout::us, KeyLayout::russianMac, KeyLayout::russianPC}) {
    if (const auto c = rereadKey(pressedOn, source, key.keycode, key.flags, key.text)) {
      return std::u32string(1, *c);
    }
  }
  return std::u32string(key.text.begin(), key.text.end());
}

}  // namespace

RuleAnswer RulesReplica::apply(const std::vector<PressedKey>& keys,
                               const std::vector<size_t>& pauses, KeyLayout selected) {
  RuleAnswer out;
  KeyLayout source = selected;
  size_t at = 0;        // the position in typed of the character being added
  ptrdiff_t shift = 0;  // a fix of another length moves what follows
  Buffer buffer([&](const std::string& word, char32_t boundary) {
    const WordDecision wd = decideFinishedWord(cfg_, nullptr, detector_, word, boundary,
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
    // The correction selects the source of its script, as replaceText does.
    source = hasRussianLetter(encodeUtf8(fixed)) ? KeyLayout::russianMac : KeyLayout::us;
    return false;
  });
  for (size_t k = 0; k < keys.size(); ++k) {
    if (std::find(pauses.begin(), pauses.end(), k) != pauses.end()) source = selected;
    for (const char32_t c : readOn(source, keys[k])) {
      at = out.typed.size();
      out.typed.push_back(c);
      out.text.push_back(c);
      out.skipReason.emplace_back();
      (void)(isCapitalLetterKeyPress(keys[k].keycode, c) ? buffer.AddCapitalLetterKey(c)
                                                         : buffer.Add(c));
    }
  }
  return out;
}

}  // namespace vyx::quality
