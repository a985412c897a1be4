// What the program's rules make of the keys a person pressed: the keys read
// on the source an instant correction would have left selected, then the
// word buffer's words, the skip rules and the detector, applied in order,
// without timing, holding or typing. Where the program's field differs from
// this, the difference comes from the rest of the program; where it equals
// this but not what was meant, from the rules.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "detect/detector.h"
#include "pipeline/layout_keys.h"
#include "store/config.h"

namespace vyx::quality {

struct PressedKey {
  uint16_t keycode = 0;
  int64_t flags = 0;
  std::u16string text;  // what the key gave on the source selected at the time
};

struct RuleAnswer {
  // What the keys give on the source selected by the person at each pause
  // and by each correction the moment it is decided: a key of a layout is
  // read on that source, any other text kept.
  std::u32string typed;
  std::u32string text;  // typed with every word as the rules leave it
  // Per code point: the skip rule that left its word alone, or empty.
  std::vector<std::string> skipReason;
};

class RulesReplica final {
 public:
  explicit RulesReplica(const Dict& ru, const Dict& en) : detector_(ru, en) {}
  // Words are judged in order, across calls, as the program judges them.
  // At each of pauses (indexes into keys) the person selected `selected`.
  [[nodiscard]] RuleAnswer apply(const std::vector<PressedKey>& keys,
                                 const std::vector<size_t>& pauses, KeyLayout selected);

 private:
  Config cfg_;
  Detector detector_;
};

}  // namespace vyx::quality
