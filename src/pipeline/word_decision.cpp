#include "pipeline/word_decision.h"

#include "detect/keymaps.h"
#include "log/logger.h"
#include "pipeline/skip_rules.h"

namespace vyx {
namespace {

WordDecision judge(const Config& cfg, ExceptionStore* store, Detector& detector,
                   const std::string& word, const std::function<std::string()>& frontmost) {
  SkipDecision skip = shouldSkipWordReasonWithFrontmost(cfg, store, word, frontmost);
  if (skip.skip) {
    vlog("skip_reason: %s", skip.reason);
    return {{}, word, std::move(skip.app), std::move(skip.reason)};
  }
  return {detector.CheckWithTrailingPunct(word), word, std::move(skip.app), {}};
}

}  // namespace

WordDecision decideFinishedWord(const Config& cfg, ExceptionStore* store, Detector& detector,
                                const std::string& word,
                                const std::function<std::string()>& frontmost) {
  WordDecision whole = judge(cfg, store, detector, word, frontmost);
  if (whole.decision.wrong || word.size() < 2 || !isCapitalLetterKey(word.front())) return whole;
  // Of the skip rules only the length rules may answer otherwise for the
  // shorter word: the address rules never count the key, and the application
  // and a learned exception hold for the word as typed.
  if (!whole.skipReason.empty() && whole.skipReason != "min-length" &&
      whole.skipReason != "too-long") {
    return whole;
  }
  return judge(cfg, store, detector, word.substr(1), frontmost);
}

}  // namespace vyx
