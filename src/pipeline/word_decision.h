// What becomes of a finished word: the skip rules, then the detector.
#pragma once

#include <functional>
#include <string>

#include "detect/detector.h"
#include "store/config.h"
#include "store/exception_store.h"

namespace vyx {

struct WordDecision {
  Decision decision;  // not wrong when the word is skipped
  // The part of the word that a fix replaces: the whole word, or the word
  // after a capital's key that stays the mark it shows.
  std::string judged;
  std::string app;         // as the skip rules fetched it; where a fix would be typed
  std::string skipReason;  // the skip rule that left the judged word alone, or empty
};

// A word that begins with the key of a Russian capital on QWERTY ("\"nj") is
// judged whole first, that key read as its capital; when that reading is no
// Russian word the word after the key is judged as if the mark had ended the
// word before, and when that word turns out Russian the key was its capital
// after all. A mark that the boundary closes again, or that one letter
// follows, is only a mark. Skip reasons go to the verbose log. Runs where the
// key path runs; takes the locks its callees take.
[[nodiscard]] WordDecision decideFinishedWord(const Config& cfg, ExceptionStore* store,
                                              Detector& detector, const std::string& word,
                                              char32_t boundary,
                                              const std::function<std::string()>& frontmost);

}  // namespace vyx
