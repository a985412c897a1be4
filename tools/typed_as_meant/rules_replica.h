// What the program's rules make of the text a person's keys gave: the word
// buffer's words, the skip rules and the detector, applied in order to the
// text as typed, without timing, holding or typing. Where the program's
// field differs from this, the difference comes from the rest of the
// program; where it equals this but not what was meant, from the rules.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "detect/detector.h"
#include "store/config.h"

namespace vyx::quality {

struct RuleAnswer {
  std::u32string text;  // the typed text with every word as the rules leave it
  // Per code point: the skip rule that left its word alone, or empty.
  std::vector<std::string> skipReason;
};

class RulesReplica final {
 public:
  explicit RulesReplica(const Dict& ru, const Dict& en) : detector_(ru, en) {}
  // Words are judged in order, across calls, as the program judges them.
  // keys: the key code of each typed character.
  [[nodiscard]] RuleAnswer apply(const std::u32string& typed, const std::vector<uint16_t>& keys);

 private:
  Config cfg_;
  Detector detector_;
};

}  // namespace vyx::quality
