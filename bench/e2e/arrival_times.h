// Times read from the simulated desktop's records: how long each key the
// person pressed took to reach the application, and how long each
// correction took beyond the pauses the program sleeps on purpose.
#pragma once

#include <vector>

#include "os/sim/desktop.h"

namespace vyx::bench {

struct KeyLatencies {
  std::vector<double> directNs;  // keys that went through the tap to the application
  std::vector<double> heldNs;    // keys held during a correction, until their replay arrived
  int unmatched = 0;             // keys a correction typed differently (a boundary it converted)
};

// person: the person's events in order; arrivals: what the application got,
// in order. A key the application got itself is matched by its post time; a
// held key by the first later program press with its key code and text.
[[nodiscard]] KeyLatencies keyLatencies(const std::vector<os::sim::Arrival>& person,
                                        const std::vector<os::sim::Arrival>& arrivals);

struct Correction {
  int erased = 0;             // Backspace presses
  int typed = 0;              // characters typed after them
  double startNs = 0;         // the person's key that ended the word, to the first Backspace
  double totalNs = 0;         // that key to the arrival of the last typed character
  double beyondPausesNs = 0;  // totalNs less the pauses between those presses
  // The word was ended by a key held during an earlier correction, so the
  // times above include waiting for it.
  bool queued = false;
};

// The program's erase-and-retype runs among the arrivals: Backspace presses
// it posted, then the presses it typed (5 ms apart; the replay of held keys
// comes only after the closing 30 ms pause).
[[nodiscard]] std::vector<Correction> corrections(const std::vector<os::sim::Arrival>& person,
                                                  const std::vector<os::sim::Arrival>& arrivals);

// The q-quantile of the values (sorted in place); 0 for none.
[[nodiscard]] double quantile(std::vector<double>& values, double q);

}  // namespace vyx::bench
