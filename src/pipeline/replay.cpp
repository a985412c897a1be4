// Input held back while a correction is queued or typed, and its replay, in
// arrival order, after each job.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "log/logger.h"
#include "log/metrics.h"
#include "pipeline/app.h"
#include "pipeline/key_codes.h"
#include "pipeline/layout_keys.h"

namespace vyx {

bool App::onKeyEvent(uint16_t keycode, char32_t ch, int64_t flags, std::u16string_view text) {
  const auto [held, swallow] = deferWhileBusy(keycode, ch, flags, text);
  // Written and read on the tap thread alone: no ordering needed.
  if (held) {
    lastKeyJob.store(0, std::memory_order_relaxed);
    return swallow;
  }
  lastKeyHeld.store(0, std::memory_order_relaxed);
  const std::lock_guard handleLock(handleMu);
  const bool answer = processKeyEvent(keycode, ch, flags, clock());
  // A key is swallowed only for the job it queued, the last one stamped.
  lastKeyJob.store(answer ? lastJobSeq.load(std::memory_order_relaxed) : 0,
                   std::memory_order_relaxed);
  if (!answer && !isModifierKey(keycode) && anyHeldDown.load(std::memory_order_relaxed)) {
    // This press reaches the application, so its key-up must too, even when
    // an earlier press of the same key was held.
    const std::lock_guard deferLock(deferMu);
    heldDown.erase(keycode);
    anyHeldDown.store(!heldDown.empty(), std::memory_order_relaxed);
  }
  return answer;
}

std::pair<bool, bool> App::deferWhileBusy(uint16_t keycode, char32_t ch, int64_t flags,
                                          std::u16string_view text) {
  if (!busyNow.load(std::memory_order_acquire)) return {false, false};
  const std::lock_guard lock(deferMu);
  if (!busy) return {false, false};
  deferredInput in;
  in.kind = deferredKindKey;
  in.key.keycode = keycode;
  in.key.ch = ch;
  in.key.flags = flags;
  in.key.text = text;
  // The key went to the application in front at this moment; the cache
  // may still name the one before a switch the person just made.
  in.key.app = frontmostNow();
  in.key.at = clock();
  in.key.passthrough = ch == 0 && isModifierKey(keycode);
  const bool passthrough = in.key.passthrough;
  in.seq = ++lastHeldSeq;
  lastKeyHeld.store(passthrough ? 0 : in.seq, std::memory_order_relaxed);
  deferred.push_back(std::move(in));
  if (passthrough) return {true, false};
  heldDown.insert(keycode);
  anyHeldDown.store(true, std::memory_order_relaxed);
  return {true, true};
}

bool App::onKeyUp(uint16_t keycode) {
  const std::lock_guard lock(deferMu);
  const bool held = heldDown.erase(keycode) > 0;
  anyHeldDown.store(!heldDown.empty(), std::memory_order_relaxed);
  return held;
}

bool App::onMouseEvent(uint64_t token, int64_t eventType) {
  if (token == 0) {
    if (isMousePress(eventType)) noteMouseDown();
    return false;
  }
  const std::lock_guard lock(deferMu);
  if (busy) {
    deferredInput in;
    in.kind = deferredKindMouse;
    in.mouse.token = token;
    in.mouse.eventType = eventType;
    in.seq = ++lastHeldSeq;
    deferred.push_back(in);
    return true;
  }
  if (isMousePress(eventType)) invalidateContext();
  return false;
}

void App::noteMouseDown() {
  bool wasBusy = false;
  {
    const std::lock_guard lock(deferMu);
    wasBusy = busy;
  }
  if (!wasBusy) invalidateContext();
}

void App::replayDeferred() {
  bool afterMouseDown = false;
  for (;;) {
    // Posted without the permission, a held key would go nowhere.
    if (!postingAllowed()) inputPathLost();
    deferredInput in;
    uint64_t awaitUpTo = 0;
    bool lost = false;
    {
      const std::lock_guard lock(deferMu);
      const size_t waiting = jobs ? jobs->size() : 0;
      if (deferred.empty()) {
        // What was dropped is told before anyone can see the pipeline idle.
        if (waiting == 0 && lostDropped == 0) {
          busy = false;
          busyNow.store(false, std::memory_order_release);
          if (ops.mouseGate) ops.mouseGate(false);
        }
        if (waiting > 0 || lostDropped == 0) return;
      } else {
        // A job queued by a replayed key goes first; the worker replays the
        // rest after it.
        if (waiting > 0) return;
        lost = heldBeforeLoss(deferred.front().seq);
        if (!lost && deferred.front().seq > tapCaughtUpTo) {
          awaitUpTo = lastHeldSeq;
        } else {
          in = std::move(deferred.front());
          deferred.pop_front();
        }
      }
    }
    if (lost) {
      releaseHeldAfterLoss(std::move(in));
      continue;
    }
    reportLostInput();
    if (awaitUpTo != 0) {
      // The tap may yet learn that a key it held got through after all.
      awaitTapCaughtUp();
      const std::lock_guard lock(deferMu);
      tapCaughtUpTo = std::max(tapCaughtUpTo, awaitUpTo);
      continue;
    }
    if (in.seq == 0) continue;  // nothing taken: only the report was due
    if (in.kind == deferredKindMouse) {
      if (isMousePress(in.mouse.eventType)) afterMouseDown = true;
      replayMouse(in.mouse.token, in.mouse.eventType);
    } else {
      replayKey(afterMouseDown, in.key);
    }
  }
}

void App::rereadHeldKeys(KeyLayout from, KeyLayout to) {
  if (from == to || from == KeyLayout::other || to == KeyLayout::other) return;
  int64_t reread = 0;
  const std::lock_guard lock(deferMu);
  for (deferredInput& in : deferred) {
    deferredKey& key = in.key;
    if (in.kind != deferredKindKey || key.passthrough) continue;
    const auto unit = static_cast<char16_t>(key.ch & 0xFFFF);
    const std::u16string_view given =
        key.text.empty() ? std::u16string_view(&unit, key.ch == 0 ? 0 : 1) : key.text;
    const std::optional<char32_t> now = rereadKey(from, to, key.keycode, key.flags, given);
    if (!now || *now == key.ch) continue;
    key.ch = *now;
    key.text = std::u16string(1, static_cast<char16_t>(*now));
    ++reread;
  }
  if (reread > 0) vlog("Held keys read on the new layout: %d", reread);
}

void App::replayMouse(uint64_t token, int64_t eventType) {
  bool failed = false;
  try {
    if (isMousePress(eventType)) invalidateContext();
    if (ops.postMouse && token != 0) ops.postMouse(token, eventType);
  } catch (...) {
    failed = true;
  }
  // The held copy is freed on every path, a failed post included.
  try {
    if (ops.releaseMouse && token != 0) ops.releaseMouse(token);
  } catch (...) {
    failed = true;
  }
  if (failed) logLine("PANIC in deferred mouse replay");
}

void App::postInjected(const deferredKey& key) const {
  if (!ops.postKey) return;
  injecting.exchange(1);
  try {
    ops.postKey(key.keycode, key.ch, key.flags, key.text);
  } catch (...) {
    injecting.exchange(0);
    throw;
  }
  injecting.exchange(0);
}

void App::replayKey(bool afterMouseDown, const deferredKey& key) {
  try {
    if (key.passed) {
      // On screen already, ahead of the keys held before it: no word
      // around it can be told any more.
      keysWentByUnseen(key.ch != 0 && !isWordBoundary(key.ch));
      return;
    }
    const std::lock_guard replaceLock(replaceMu);
    if (!afterMouseDown && !key.app.empty() && frontmostNow() != key.app) {
      // A modifier already reached the application when it was pressed:
      // nothing of it is lost, so it is no drop to count or report.
      if (key.passthrough) return;
      metricQueueDrops.fetch_add(1);
      vlog("skip_reason: %s", "deferred-app-changed");
      return;
    }
    if (afterMouseDown) {
      observeLiteralReplay(key);
      return;
    }
    bool consumed = false;
    {
      const std::lock_guard handleLock(handleMu);
      consumed = processKeyEvent(key.keycode, key.ch, key.flags, key.at);
    }
    if (consumed || key.passthrough) return;
    postInjected(key);
  } catch (...) {
    logLine("PANIC in deferred key replay");
  }
}

void App::observeLiteralReplay(const deferredKey& key) {
  invalidateContext();
  if (key.passthrough) return;
  postInjected(key);
}

}  // namespace vyx
