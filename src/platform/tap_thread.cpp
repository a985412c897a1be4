#include "platform/tap_thread.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/own_events.h"

namespace vyx {

namespace {

// Far beyond the microseconds the tap thread needs: only a thread that
// cannot run at all is given up on.
constexpr std::chrono::seconds kTapStartTimeout{2};

// How often stop asks the run loop again: a loop the thread has not
// entered yet does not hear a request.
constexpr std::chrono::milliseconds kStopRetry{10};

// Nothing may reach a tap whose thread will not serve it.
void discardTap(os::EventTap* tap, os::RunLoopSource* source) {
  os::eventTapEnable(tap, false);
  os::release(source);
  os::release(tap);
}

std::optional<std::string> attachTap(os::RunLoop* loop, os::EventTap* tap,
                                     os::RunLoopSource* source) {
  os::runLoopAddSource(loop, source, os::kRunLoopCommonModes);
  if (!os::runLoopContainsSource(loop, source, os::kRunLoopCommonModes)) {
    return "failed to add event tap to its run loop";
  }
  os::eventTapEnable(tap, true);
  if (!os::eventTapIsEnabled(tap)) return "failed to enable event tap";
  return std::nullopt;
}

}  // namespace

// The thread's report to its starter and its stopper. mu guards every
// member but the tap and the source, which are set before the thread starts.
struct TapThread::State {
  enum class Phase : uint8_t { pending, serving, failed, abandoned };

  os::EventTap* const tap;
  os::RunLoopSource* const source;
  std::mutex mu;
  std::condition_variable cv;
  Phase phase = Phase::pending;
  std::string failure;
  os::RunLoop* loop = nullptr;
  bool stopRequested = false;
  bool ended = false;

  State(os::EventTap* t, os::RunLoopSource* s) : tap(t), source(s) {}

  // Returns false when the starter gave up waiting: the tap must not be served.
  bool report(std::optional<std::string> why, os::RunLoop* serving) {
    const std::lock_guard lock(mu);
    if (phase == Phase::abandoned) return false;
    phase = why ? Phase::failed : Phase::serving;
    failure = std::move(why).value_or("");
    loop = serving;
    cv.notify_all();
    return phase == Phase::serving;
  }

  void markEnded() {
    const std::lock_guard lock(mu);
    ended = true;
    cv.notify_all();
  }
};

namespace {

// Nothing stops the loop in the running program but a stop; on the
// simulated desktop the loop also returns when the desktop goes, and the
// thread then ends without touching the tap or the source again. A thread
// that cannot serve gives the tap back before it reports, so that nothing of
// it is left once start has returned.
void serveTap(const std::shared_ptr<TapThread::State>& state) {
  os::threadSetUserInteractive();
  os::RunLoop* loop = os::runLoopGetCurrent();
  std::optional<std::string> failure = attachTap(loop, state->tap, state->source);
  if (failure) {
    discardTap(state->tap, state->source);
    (void)state->report(std::move(failure), nullptr);
    return;
  }
  if (!state->report(std::nullopt, loop)) {
    discardTap(state->tap, state->source);
    return;
  }
  noteTapServing(true);
  os::runLoopRun();
  noteTapServing(false);
  bool stopped = false;
  {
    const std::lock_guard lock(state->mu);
    stopped = state->stopRequested;
  }
  if (stopped) discardTap(state->tap, state->source);
  state->markEnded();
}

}  // namespace

Result<std::shared_ptr<TapThread>> TapThread::start(os::EventTap* tap, os::RunLoopSource* source) {
  auto state = std::make_shared<State>(tap, source);
  try {
    std::thread(serveTap, state).detach();
  } catch (const std::system_error& e) {
    discardTap(tap, source);
    return Error(std::string("failed to start event tap thread: ") + e.what());
  }
  std::unique_lock lock(state->mu);
  if (!state->cv.wait_for(lock, kTapStartTimeout,
                          [&] { return state->phase != State::Phase::pending; })) {
    state->phase = State::Phase::abandoned;
    return Error("event tap thread did not start");
  }
  if (state->phase == State::Phase::failed) return Error(state->failure);
  return std::make_shared<TapThread>(state);
}

void TapThread::stop(std::chrono::milliseconds timeout) {
  State& st = *state_;
  std::unique_lock lock(st.mu);
  if (st.stopRequested) return;
  st.stopRequested = true;
  // Out of the event path before anything else: keys held up at the tap go
  // on to the applications at once.
  if (!st.ended) os::eventTapEnable(st.tap, false);
  // A correction waiting for the tap to see its checkpoint waits no more.
  forgetUnseenOwnEvents();
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!st.ended && std::chrono::steady_clock::now() < deadline) {
    os::runLoopStop(st.loop);
    st.cv.wait_for(lock, kStopRetry, [&] { return st.ended; });
  }
}

}  // namespace vyx
