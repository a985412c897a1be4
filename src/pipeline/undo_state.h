// The record of the last word fix, so that Cmd+Z soon after can put the word
// back as the user typed it.
//
// Threads: the event-tap thread (peek, consume, withdraw, Reset through a
// context invalidation), the replacement worker (SaveForApp, and the key path
// again while it replays held keys) and the main thread (Reset on an
// application switch). `mu` guards every field for the whole of each call and
// is a leaf lock: nothing is called out while it is held. `present` mirrors
// whether `original` is non-empty, written under `mu`, so that Withdraw can
// skip the lock when there is nothing to withdraw.
//
// The record is present exactly when `original` is non-empty; every reader
// tests that alone, which is why withdrawing only empties `original`.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "log/clock.h"

namespace vyx {

// What PeekWithApp answers; all strings empty when ok is false.
struct UndoPeek {
  std::string original;
  std::string tail;
  std::string replaced;
  std::string app;
  bool ok = false;
};

class undoState final {
 public:
  // How long a fix stays revertible; exactly this long still counts.
  static constexpr std::chrono::seconds kWindow{5};

  explicit undoState(Clock clock = systemClock());
  undoState(const undoState&) = delete;
  undoState& operator=(const undoState&) = delete;

  // original: the word as typed; tail: the boundary typed after it, empty
  // when none or when the word already ends with it; replaced: exactly the
  // text the fix typed; app: where. Replaces any earlier record whole.
  void SaveForApp(std::string original, std::string tail, std::string replaced, std::string app);

  // The record while it is present and at most kWindow old. Never changes it.
  [[nodiscard]] UndoPeek PeekWithApp() const;

  // Clears the record only when it still holds these three values, so a newer
  // fix saved after the peek survives.
  void ConsumeIfMatches(const std::string& original, const std::string& replaced,
                        const std::string& app);

  void Reset();

  // Cmd+Z reverts nothing from now until the next fix is saved. The key path
  // calls this for every typed character and for every Backspace: once the
  // screen may no longer end with the whole of `replaced`, a revert that
  // erases `replaced`'s length could eat text the fix never typed.
  void Withdraw();

 private:
  void clearLocked();

  const Clock clock;
  mutable std::mutex mu;
  std::string original;
  std::string tail;
  std::string replaced;
  std::string app;
  MonoTime timestamp{};
  std::atomic<bool> present{false};
};

// The one record of the process, on the system's monotonic clock.
[[nodiscard]] undoState& processUndoState();

}  // namespace vyx
