#include "pipeline/word_decision.h"

#include "detect/keymaps.h"
#include "log/logger.h"
#include "pipeline/convert_by_script.h"
#include "pipeline/skip_rules.h"
#include "text/utf8.h"

namespace vyx {
namespace {

WordDecision judge(const Config& cfg, ExceptionStore* store, Detector& detector,
                   const std::string& word, const std::function<std::string()>& frontmost,
                   NearMatch near = NearMatch::search) {
  SkipDecision skip = shouldSkipWordReasonWithFrontmost(cfg, store, word, frontmost);
  if (skip.skip) {
    vlog("skip_reason: %s", skip.reason);
    return {{}, word, std::move(skip.app), std::move(skip.reason)};
  }
  return {detector.CheckWithTrailingPunct(word, near), word, std::move(skip.app), {}};
}

// The key that ended the word closes the mark that began it: "…", <…>, {…},
// |…|, :…: are quotes, tags, placeholders and codes, not capitals.
bool closes(char32_t open, char32_t boundary) {
  switch (open) {
    case U'<':
      return boundary == U'>';
    case U'{':
      return boundary == U'}';
    case U'"':
    case U'|':
    case U':':
      return boundary == open;
    default:
      return false;
  }
}

}  // namespace

WordDecision decideFinishedWord(const Config& cfg, ExceptionStore* store, Detector& detector,
                                const std::string& word, char32_t boundary,
                                const std::function<std::string()>& frontmost) {
  if (word.size() < 2 || !isCapitalLetterKey(static_cast<unsigned char>(word.front()))) {
    return judge(cfg, store, detector, word, frontmost);
  }
  const std::string rest = word.substr(1);
  const char32_t mark = static_cast<unsigned char>(word.front());
  // One letter after the mark is too little to tell a capital by (":t" is
  // Же, "\"b" Эи), and a closed mark is a mark.
  if (codePointCount(rest) < 2 || closes(mark, boundary)) {
    return judge(cfg, store, detector, rest, frontmost);
  }
  // Read whole first, the key as its capital, one edit away included; the
  // word after the key is then judged without that search.
  WordDecision whole = judge(cfg, store, detector, word, frontmost);
  if (whole.decision.wrong) return whole;
  // Of the skip rules only the length rules may answer otherwise for the
  // shorter word: the address rules never count the key, and the application
  // and a learned exception hold for the word as typed.
  if (!whole.skipReason.empty() && whole.skipReason != "min-length" &&
      whole.skipReason != "too-long") {
    return whole;
  }
  WordDecision part = judge(cfg, store, detector, rest, frontmost, NearMatch::skip);
  // The word after the key is Russian typed on QWERTY, so that key, pressed
  // by the same hands, was the capital (">kz" is Юля, a name no list holds):
  // the word is converted whole, never cut from its capital. A quotation
  // mark opens Russian text as it does English, so it may stay a mark.
  if (!part.decision.wrong || mark == U'"' || !hasRussianLetter(part.decision.fixed)) {
    return part;
  }
  // Ё is Shift with the backslash key on a Mac; the key maps have it on the
  // tilde.
  part.decision.fixed = encodeUtf8(enToRu.at(mark == U'|' ? U'~' : mark)) + part.decision.fixed;
  part.judged = word;
  return part;
}

}  // namespace vyx
