// Event taps and run loops (event_tap.h): an EventTap is the tap's
// CFMachPortRef, a RunLoopSource a CFRunLoopSourceRef (both released once by
// their maker), a RunLoop the thread's CFRunLoopRef (never released).
#include "os/event_tap.h"

#import <CoreFoundation/CoreFoundation.h>
#import <CoreGraphics/CoreGraphics.h>
#include <pthread/qos.h>

#include <map>
#include <memory>
#include <mutex>

namespace vyx::os {

namespace {

CFMachPortRef port(EventTap* tap) {
  return reinterpret_cast<CFMachPortRef>(tap);
}

CFRunLoopRef cf(RunLoop* loop) {
  return reinterpret_cast<CFRunLoopRef>(loop);
}

CFRunLoopSourceRef cf(RunLoopSource* source) {
  return reinterpret_cast<CFRunLoopSourceRef>(source);
}

CFRunLoopMode cf(RunLoopMode mode) {
  return mode == RunLoopMode::commonModes ? kCFRunLoopCommonModes : kCFRunLoopDefaultMode;
}

// The seam's callback and user info, which the system's callback passes on.
struct TapContext {
  EventTapCallBack callback = nullptr;
  void* userInfo = nullptr;
};

// Each tap's context lives until the tap is released. Any thread. Never
// destroyed: a tap's thread may still deliver an event while the process
// ends, and its callback reads the context.
struct TapContexts {
  std::mutex mu;
  std::map<EventTap*, std::unique_ptr<TapContext>> byTap;
};

TapContexts& tapContexts() {
  static TapContexts& contexts = *new TapContexts;
  return contexts;
}

CGEventRef tapCallback(CGEventTapProxy proxy, CGEventType type, CGEventRef event, void* info) {
  const auto* context = static_cast<const TapContext*>(info);
  return reinterpret_cast<CGEventRef>(context->callback(
      proxy, static_cast<EventType>(type), reinterpret_cast<Event*>(event), context->userInfo));
}

}  // namespace

// The context is forgotten before the port goes, so that a tap made at the
// same address right after keeps its own; it is freed only once the
// invalidated port has left every run loop and no callback can follow.
void release(EventTap* tap) {
  if (tap == nullptr) return;
  std::unique_ptr<TapContext> context;
  {
    TapContexts& contexts = tapContexts();
    const std::lock_guard lock(contexts.mu);
    auto node = contexts.byTap.extract(tap);
    if (!node.empty()) context = std::move(node.mapped());
  }
  CFMachPortInvalidate(port(tap));
  CFRelease(port(tap));
}

void release(RunLoopSource* source) {
  if (source != nullptr) CFRelease(cf(source));
}

EventTap* eventTapCreate(EventTapLocation tap, EventTapPlacement place, EventTapOptions options,
                         EventMask eventsOfInterest, EventTapCallBack callback, void* userInfo) {
  auto context = std::make_unique<TapContext>(TapContext{callback, userInfo});
  CFMachPortRef made = CGEventTapCreate(
      static_cast<CGEventTapLocation>(tap), static_cast<CGEventTapPlacement>(place),
      static_cast<CGEventTapOptions>(options), eventsOfInterest, &tapCallback, context.get());
  if (made == nullptr) return nullptr;
  // A Mac makes taps enabled: until its run loop serves it, an active tap
  // would hold up every key and click of the session. The caller enables it
  // once it is served.
  CGEventTapEnable(made, false);
  auto* handle = reinterpret_cast<EventTap*>(made);
  TapContexts& contexts = tapContexts();
  const std::lock_guard lock(contexts.mu);
  contexts.byTap[handle] = std::move(context);
  return handle;
}

void eventTapEnable(EventTap* tap, bool enable) {
  CGEventTapEnable(port(tap), enable);
}

bool eventTapIsEnabled(EventTap* tap) {
  return CGEventTapIsEnabled(port(tap));
}

RunLoopSource* machPortCreateRunLoopSource(EventTap* tap, int64_t order) {
  return reinterpret_cast<RunLoopSource*>(
      CFMachPortCreateRunLoopSource(kCFAllocatorDefault, port(tap), static_cast<CFIndex>(order)));
}

RunLoop* runLoopGetCurrent() {
  return reinterpret_cast<RunLoop*>(CFRunLoopGetCurrent());
}

void runLoopAddSource(RunLoop* loop, RunLoopSource* source, RunLoopMode mode) {
  CFRunLoopAddSource(cf(loop), cf(source), cf(mode));
}

bool runLoopContainsSource(RunLoop* loop, RunLoopSource* source, RunLoopMode mode) {
  return CFRunLoopContainsSource(cf(loop), cf(source), cf(mode));
}

void runLoopRun() {
  CFRunLoopRun();
}

void threadSetUserInteractive() {
  (void)pthread_set_qos_class_self_np(QOS_CLASS_USER_INTERACTIVE, 0);
}

// Carried out on the loop's own thread, the one place a stop is sure to
// reach the activation it means; the wake-up makes a sleeping loop take it.
void runLoopStop(RunLoop* loop) {
  CFRunLoopRef target = cf(loop);
  CFRunLoopPerformBlock(target, kCFRunLoopCommonModes, ^{
    CFRunLoopStop(CFRunLoopGetCurrent());
  });
  CFRunLoopWakeUp(target);
}

}  // namespace vyx::os
