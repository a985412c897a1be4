#include "platform/own_events.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/frontmost.h"

namespace vyx {

namespace {

std::atomic<int32_t> serving{0};
// Posted and not seen yet. A sighting never takes it below zero, so a post
// given up on (the tap was off) and seen late cannot make a later wait end
// early for long: every reset brings the count back to what is in flight.
std::atomic<int64_t> inFlight{0};

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
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (inFlight.load() > 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      forgetUnseenOwnEvents();
      return false;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
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
