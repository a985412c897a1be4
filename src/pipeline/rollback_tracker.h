// Learns a word as an exception when the user erases its correction and types
// it again exactly as first typed, twice in the same application within 7
// days.
//
// Threads: the event-tap thread (ObserveKey from the key path, Reset through a
// context invalidation), the replacement worker (OnConversion, the key path
// while it replays held keys, Reset) and the main thread (Reset on an
// application switch). `mu` guards every field and is held for the whole of
// each call, including the call into ExceptionStore::Add: the store's lock is
// taken inside this one, never the reverse. `watching` mirrors whether the
// phase is not idle, written under `mu`, so that ObserveKey can skip the lock
// while no watch runs.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "log/clock.h"
#include "store/exception_store.h"

namespace vyx {

enum rollbackPhase : int {
  rollbackIdle = 0,      // nothing watched
  rollbackErasing = 1,   // a correction was typed; Backspaces are counted
  rollbackRetyping = 2,  // the correction is erased; typed characters are compared
};

enum rollbackKeyKind : int {
  rollbackKeyChar = 0,       // a character that reached the word buffer
  rollbackKeyBackspace = 1,  // a plain Backspace
  rollbackKeyEnter = 2,      // Return or Enter with an empty word buffer
};

struct rollbackCandidate {
  int count = 0;  // retypes seen; every stored candidate holds 1
  MonoTime firstSeen;
};

// What ObserveKey answers. retyped only on the key that completes an exact
// retype; word and app are then the watched ones, and learned tells whether
// the word became an exception just now. Otherwise all false and empty.
struct RetypeResult {
  bool retyped = false;
  bool learned = false;
  std::string word;
  std::string app;
};

class RollbackTracker final {
 public:
  static constexpr std::chrono::seconds kWatchTime{10};
  static constexpr std::chrono::seconds kCandidateWindow{7 * 24 * 60 * 60};
  static constexpr size_t kMaxCandidates = 512;

  // store may be null: then retypes are still reported but nothing is learned.
  explicit RollbackTracker(std::shared_ptr<ExceptionStore> store, Clock clock = systemClock());
  RollbackTracker(const RollbackTracker&) = delete;
  RollbackTracker& operator=(const RollbackTracker&) = delete;

  // Starts watching a correction that typed `replaced` in place of `original`
  // (replacing any running watch). Does nothing when either is empty.
  void OnConversion(const std::string& original, const std::string& replaced,
                    const std::string& app);
  // ch is the code point typed, 0 for Backspace and Enter.
  [[nodiscard]] RetypeResult ObserveKey(rollbackKeyKind kind, char32_t ch);
  // Ends the watch; remembered candidates stay.
  void Reset();

  [[nodiscard]] rollbackPhase Phase() const;
  [[nodiscard]] size_t CandidateCount() const;

 private:
  // Both with mu held.
  [[nodiscard]] bool confirmRollback(const std::string& app, const std::string& word, MonoTime now);
  void pruneOldestCandidate();
  void resetLocked();

  mutable std::mutex mu;
  const std::shared_ptr<ExceptionStore> store;
  const Clock clock;
  rollbackPhase phase = rollbackIdle;
  std::atomic<bool> watching{false};
  std::string original;
  std::string replaced;
  size_t replacedLength = 0;  // code points of replaced: the Backspaces that erase it
  std::string app;
  MonoTime expiresAt;
  size_t bsSeen = 0;
  std::string typedBack;
  std::unordered_map<std::string, rollbackCandidate> candidates;
};

}  // namespace vyx
