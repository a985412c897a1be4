#include "platform/own_events.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "log/logger.h"
#include "log/metrics.h"
#include "platform/frontmost.h"

namespace vyx {

namespace {

std::atomic<int32_t> serving{0};
// Posted and not seen yet. A sighting never takes it below zero, so a post
// given up on (the tap was off) and seen late cannot make a later wait end
// early for long: every reset brings the count back to what is in flight.
std::atomic<int64_t> inFlight{0};
// A wait ran out and none has seen its posts since. Only the first miss of
// such a run is logged: on a Mac whose posts never reach the tap every
// correction misses, and the line is all a person would see of why.
std::atomic<bool> missing{false};

struct Aim {
  std::atomic<bool> set{false};
  std::mutex mu;
  std::string app;  // guarded by mu
};

// Never destroyed: the tap thread may look at it while exit destroys statics.
Aim& aim() {
  static Aim& a = *std::make_unique<Aim>().release();
  return a;
}

void noteMiss(std::chrono::milliseconds timeout) {
  metricCheckpointMisses.fetch_add(1);
  if (missing.exchange(true)) return;
  logf("event tap did not see Vyx's own keys in %d ms: corrections are dropped until it does",
       timeout.count());
}

}  // namespace

void noteTapServing(bool entering) {
  inFlight.store(0);
  serving.fetch_add(entering ? 1 : -1);
}

bool tapServing() {
  return serving.load() > 0;
}

void noteOwnEventPosted() {
  inFlight.fetch_add(1);
}

void noteOwnEventSeen() {
  int64_t was = inFlight.load();
  while (was > 0 && !inFlight.compare_exchange_weak(was, was - 1)) {
  }
}

void forgetUnseenOwnEvents() {
  inFlight.store(0);
}

// The tap answers within microseconds; a short sleep between looks keeps the
// worker off the processor meanwhile.
bool awaitOwnEventsSeen(std::chrono::milliseconds timeout) {
  if (!tapServing()) return true;
  const bool awaiting = inFlight.load() > 0;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (inFlight.load() > 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      forgetUnseenOwnEvents();
      noteMiss(timeout);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  if (awaiting) missing.store(false);
  return true;
}

OwnKeysAim::OwnKeysAim(const std::string& app) {
  Aim& a = aim();
  const std::lock_guard lock(a.mu);
  a.app = app;
  a.set.store(true);
}

OwnKeysAim::~OwnKeysAim() {
  Aim& a = aim();
  const std::lock_guard lock(a.mu);
  a.set.store(false);
  a.app.clear();
}

bool ownKeyMisdirected() {
  Aim& a = aim();
  if (!a.set.load()) return false;
  const std::string front = FrontmostAppIDNow();
  const std::lock_guard lock(a.mu);
  return a.set.load() && front != a.app;
}

}  // namespace vyx
