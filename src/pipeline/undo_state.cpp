#include "pipeline/undo_state.h"

#include <utility>

namespace vyx {

undoState::undoState(Clock clock) : clock(std::move(clock)) {}

void undoState::SaveForApp(std::string original, std::string tail, std::string replaced,
                           std::string app) {
  const MonoTime now = clock();
  const std::lock_guard lock(mu);
  this->original = std::move(original);
  this->tail = std::move(tail);
  this->replaced = std::move(replaced);
  this->app = std::move(app);
  timestamp = now;
  present.store(!this->original.empty(), std::memory_order_release);
}

UndoPeek undoState::PeekWithApp() const {
  const MonoTime now = clock();
  const std::lock_guard lock(mu);
  if (original.empty() || now - timestamp > kWindow) return {};
  return UndoPeek{original, tail, replaced, app, true};
}

void undoState::ConsumeIfMatches(const std::string& original, const std::string& replaced,
                                 const std::string& app) {
  const std::lock_guard lock(mu);
  if (original == this->original && replaced == this->replaced && app == this->app) {
    clearLocked();
  }
}

void undoState::Reset() {
  const std::lock_guard lock(mu);
  clearLocked();
}

void undoState::Withdraw() {
  // Every typed character withdraws, and there is rarely a record to
  // withdraw: seeing none is the same as withdrawing before the next save.
  if (!present.load(std::memory_order_acquire)) return;
  const std::lock_guard lock(mu);
  original.clear();
  present.store(false, std::memory_order_release);
}

// The tail stays: it is read only together with a non-empty original.
void undoState::clearLocked() {
  present.store(false, std::memory_order_release);
  original.clear();
  replaced.clear();
  app.clear();
  timestamp = MonoTime{};
}

undoState& processUndoState() {
  static undoState record;
  return record;
}

}  // namespace vyx
