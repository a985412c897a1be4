// Event taps and run loops (event_tap.h), and the desktop's view of them.
#include "os/event_tap.h"

#include <algorithm>

#include "os/sim/core_state.h"
#include "os/sim/desktop_impl.h"

namespace vyx::os {

using sim::CoreState;
using sim::currentCore;

namespace {

EventTap* requireTapLocked(CoreState& core, EventTap* tap) {
  const auto& store = core.server.tapStore;
  if (std::none_of(store.begin(), store.end(), [&](const auto& t) { return t.get() == tap; })) {
    sim::die("unknown event tap", tap);
  }
  return tap;
}

void requireLoopLocked(CoreState& core, const RunLoop* loop) {
  const auto& loops = core.server.loops;
  if (std::none_of(loops.begin(), loops.end(), [&](const auto& l) { return l.get() == loop; })) {
    sim::die("unknown run loop", loop);
  }
}

// The run loop of the calling thread, for the desktop that made it.
thread_local uint64_t tlSerial = 0;
thread_local RunLoop* tlLoop = nullptr;

}  // namespace

EventTap* eventTapCreate(EventTapLocation /*tap*/, EventTapPlacement place, EventTapOptions options,
                         EventMask eventsOfInterest, EventTapCallBack callback, void* userInfo) {
  CoreState* core = currentCore();
  if (core == nullptr || callback == nullptr) return nullptr;
  const std::lock_guard lock(core->mu);
  if (!core->system.trusted || core->server.refuseTaps) return nullptr;
  if (!core->system.access.tapKeys) {
    eventsOfInterest &= ~(eventMaskBit(kEventKeyDown) | eventMaskBit(kEventKeyUp));
    if (eventsOfInterest == 0) return nullptr;
  }
  auto tap = std::make_unique<EventTap>();
  tap->mask = eventsOfInterest;
  tap->callback = callback;
  tap->userInfo = userInfo;
  tap->listenOnly = options == kEventTapOptionListenOnly;
  EventTap* p = tap.get();
  core->server.tapStore.push_back(std::move(tap));
  auto& order = core->server.taps;
  order.insert(place == kHeadInsertEventTap ? order.begin() : order.end(), p);
  return p;
}

void release(EventTap* tap) {
  CoreState* core = currentCore();
  if (tap == nullptr || core == nullptr) return;
  const std::lock_guard lock(core->mu);
  requireTapLocked(*core, tap);
  if (tap->released) sim::die("event tap released twice", tap);
  tap->released = true;
  tap->enabled = false;
  std::erase(core->server.taps, tap);
  core->server.answers.notify_all();
}

void eventTapEnable(EventTap* tap, bool enable) {
  CoreState* core = currentCore();
  if (tap == nullptr || core == nullptr) return;
  const std::lock_guard lock(core->mu);
  if (!requireTapLocked(*core, tap)->released) tap->enabled = enable;
  core->server.answers.notify_all();
}

bool eventTapIsEnabled(EventTap* tap) {
  CoreState* core = currentCore();
  if (tap == nullptr || core == nullptr) return false;
  const std::lock_guard lock(core->mu);
  return requireTapLocked(*core, tap)->enabled;
}

RunLoopSource* machPortCreateRunLoopSource(EventTap* tap, int64_t /*order*/) {
  CoreState* core = currentCore();
  if (tap == nullptr || core == nullptr) return nullptr;
  const std::lock_guard lock(core->mu);
  auto source = std::make_unique<RunLoopSource>();
  source->tap = requireTapLocked(*core, tap);
  source->invalid = core->server.failSources;
  return core->server.sources.add(std::move(source));
}

void release(RunLoopSource* source) {
  CoreState* core = currentCore();
  if (source == nullptr || core == nullptr) return;
  const std::lock_guard lock(core->mu);
  core->server.sources.remove(source, "run loop source");
}

RunLoop* runLoopGetCurrent() {
  CoreState* core = currentCore();
  if (core == nullptr) return nullptr;
  const std::lock_guard lock(core->mu);
  if (tlSerial != core->serial) {
    core->server.loops.push_back(std::make_unique<RunLoop>());
    tlLoop = core->server.loops.back().get();
    tlSerial = core->serial;
  }
  return tlLoop;
}

void runLoopAddSource(RunLoop* loop, RunLoopSource* source, RunLoopMode /*mode*/) {
  CoreState* core = currentCore();
  if (loop == nullptr || source == nullptr || core == nullptr) return;
  const std::lock_guard lock(core->mu);
  requireLoopLocked(*core, loop);
  core->server.sources.require(source, "run loop source");
  if (source->invalid) return;
  source->tap->loop = loop;
  loop->hasSource = true;
  core->server.loopWork.notify_all();
}

bool runLoopContainsSource(RunLoop* loop, RunLoopSource* source, RunLoopMode /*mode*/) {
  CoreState* core = currentCore();
  if (loop == nullptr || source == nullptr || core == nullptr) return false;
  const std::lock_guard lock(core->mu);
  requireLoopLocked(*core, loop);
  core->server.sources.require(source, "run loop source");
  return !source->tap->released && source->tap->loop == loop;
}

void runLoopRun() {
  RunLoop* loop = runLoopGetCurrent();
  CoreState* core = currentCore();
  if (loop == nullptr || core == nullptr) return;
  std::unique_lock lock(core->mu);
  sim::serveRunLoop(*core, loop, lock);
}

// The simulated desktop schedules nothing itself.
void threadSetUserInteractive() {}

void runLoopStop(RunLoop* loop) {
  CoreState* core = currentCore();
  if (loop == nullptr || core == nullptr) return;
  const std::lock_guard lock(core->mu);
  requireLoopLocked(*core, loop);
  if (loop->running > 0) loop->stopRequested = true;
  core->server.loopWork.notify_all();
}

}  // namespace vyx::os

namespace vyx::os::sim {

std::vector<TapInfo> Desktop::taps() const {
  CoreState& core = impl_->core;
  const std::lock_guard lock(core.mu);
  std::vector<TapInfo> out;
  for (const EventTap* tap : core.server.taps) {
    out.push_back({tap->enabled, tap->mask, tap->eventsSeen, tap->timeouts});
  }
  return out;
}

void Desktop::setTapTimeout(std::chrono::milliseconds timeout) {
  const std::lock_guard lock(impl_->core.mu);
  impl_->core.server.tapTimeout = timeout;
}

void Desktop::disableTapsByUserInput() {
  CoreState& core = impl_->core;
  const std::lock_guard lock(core.mu);
  for (EventTap* tap : core.server.taps) {
    if (!tap->enabled) continue;
    tap->enabled = false;
    noticeLocked(core, tap, kEventTapDisabledByUserInput);
  }
}

void Desktop::refuseTaps(bool refuse) {
  const std::lock_guard lock(impl_->core.mu);
  impl_->core.server.refuseTaps = refuse;
}

void Desktop::failRunLoopSources(bool fail) {
  const std::lock_guard lock(impl_->core.mu);
  impl_->core.server.failSources = fail;
}

int64_t Desktop::liveProgramEvents() const {
  const std::lock_guard lock(impl_->core.mu);
  return impl_->core.events.liveProgramEvents();
}

std::vector<Arrival> Desktop::programPosts() const {
  const std::lock_guard lock(impl_->core.mu);
  return impl_->core.events.programPosts;
}

std::vector<Arrival> Desktop::personPosts() const {
  const std::lock_guard lock(impl_->core.mu);
  return impl_->core.events.personPosts;
}

void Desktop::clearRecords() {
  CoreState& core = impl_->core;
  const std::lock_guard lock(core.mu);
  std::vector<Arrival>().swap(core.events.programPosts);
  std::vector<Arrival>().swap(core.events.personPosts);
  for (const auto& app : core.workspace.apps) std::vector<Arrival>().swap(app->arrivals);
  std::vector<std::string>().swap(core.sources.programSelections);
}

}  // namespace vyx::os::sim
