#include "pipeline/rollback_tracker.h"

#include <utility>

#include "text/utf8.h"

namespace vyx {

RollbackTracker::RollbackTracker(std::shared_ptr<ExceptionStore> store, Clock clock)
    : store(std::move(store)), clock(std::move(clock)) {}

void RollbackTracker::OnConversion(const std::string& original, const std::string& replaced,
                                   const std::string& app) {
  if (original.empty() || replaced.empty()) return;
  const MonoTime now = clock();
  const std::lock_guard lock(mu);
  phase = rollbackErasing;
  watching.store(true, std::memory_order_release);
  this->original = original;
  this->replaced = replaced;
  replacedLength = codePointCount(replaced);
  this->app = app;
  expiresAt = now + kWatchTime;
  bsSeen = 0;
  typedBack.clear();
}

RetypeResult RollbackTracker::ObserveKey(rollbackKeyKind kind, char32_t ch) {
  // Every key is observed and a watch is rarely running: seeing none is the
  // same as observing before the next correction starts one.
  if (!watching.load(std::memory_order_acquire)) return {};
  const std::lock_guard lock(mu);
  if (phase == rollbackIdle) return {};
  const MonoTime now = clock();
  // At exactly expiresAt the watch is still alive.
  if (now > expiresAt) {
    resetLocked();
    return {};
  }

  switch (kind) {
    case rollbackKeyChar: {
      // Typing before the correction is wholly erased is an edit, not a retype.
      if (phase == rollbackErasing) break;
      appendUtf8(typedBack, ch);
      if (typedBack == original) {
        std::string word = std::move(original);
        std::string where = std::move(app);
        resetLocked();
        const bool learned = confirmRollback(where, word, now);
        return RetypeResult{true, learned, std::move(word), std::move(where)};
      }
      if (original.starts_with(typedBack)) return {};
      break;
    }
    case rollbackKeyBackspace:
      if (phase == rollbackErasing) {
        if (++bsSeen >= replacedLength) {
          phase = rollbackRetyping;
          typedBack.clear();
        }
        return {};
      }
      // Backspaces beyond the correction erase older text and change nothing;
      // one that edits the retype ends the watch.
      if (typedBack.empty()) return {};
      break;
    case rollbackKeyEnter:
      break;
  }
  resetLocked();
  return {};
}

void RollbackTracker::Reset() {
  const std::lock_guard lock(mu);
  resetLocked();
}

rollbackPhase RollbackTracker::Phase() const {
  const std::lock_guard lock(mu);
  return phase;
}

size_t RollbackTracker::CandidateCount() const {
  const std::lock_guard lock(mu);
  return candidates.size();
}

// expiresAt stays: it is read only while a watch runs.
void RollbackTracker::resetLocked() {
  phase = rollbackIdle;
  watching.store(false, std::memory_order_release);
  original.clear();
  replaced.clear();
  replacedLength = 0;
  app.clear();
  bsSeen = 0;
  typedBack.clear();
}

bool RollbackTracker::confirmRollback(const std::string& app, const std::string& word,
                                      MonoTime now) {
  if (app.empty() || word.empty()) return false;
  // The same key the store uses: case-insensitive in both parts.
  std::string key = makeKey(app, word);
  if (const auto it = candidates.find(key);
      it != candidates.end() && now - it->second.firstSeen <= kCandidateWindow) {
    candidates.erase(it);
    if (!store) return false;
    // The word is learned in the case of this second retype.
    return store->Add(app, word).ok();
  }
  candidates[std::move(key)] = rollbackCandidate{1, now};
  pruneOldestCandidate();
  return false;
}

void RollbackTracker::pruneOldestCandidate() {
  if (candidates.size() <= kMaxCandidates) return;
  auto oldest = candidates.begin();
  for (auto it = candidates.begin(); it != candidates.end(); ++it) {
    if (it->second.firstSeen < oldest->second.firstSeen) oldest = it;
  }
  candidates.erase(oldest);
}

}  // namespace vyx
