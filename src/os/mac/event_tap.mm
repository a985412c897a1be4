// Event taps and run loops (event_tap.h): an EventTap is the tap's
// CFMachPortRef, a RunLoopSource a CFRunLoopSourceRef (both released once by
// their maker), a RunLoop the thread's CFRunLoopRef (never released).
#include "os/event_tap.h"

#import <CoreFoundation/CoreFoundation.h>
#import <CoreGraphics/CoreGraphics.h>

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

// Each tap's context lives until the tap is released. Any thread.
std::mutex contextsMu;
std::map<EventTap*, std::unique_ptr<TapContext>> contexts;

CGEventRef tapCallback(CGEventTapProxy proxy, CGEventType type, CGEventRef event, void* info) {
  const auto* context = static_cast<const TapContext*>(info);
  return reinterpret_cast<CGEventRef>(context->callback(
      proxy, static_cast<EventType>(type), reinterpret_cast<Event*>(event), context->userInfo));
}

}  // namespace

// An invalidated port leaves every run loop, so no callback can follow.
void release(EventTap* tap) {
  if (tap == nullptr) return;
  CFMachPortInvalidate(port(tap));
  CFRelease(port(tap));
  const std::lock_guard lock(contextsMu);
  contexts.erase(tap);
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
  auto* handle = reinterpret_cast<EventTap*>(made);
  const std::lock_guard lock(contextsMu);
  contexts[handle] = std::move(context);
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

void runLoopStop(RunLoop* loop) {
  CFRunLoopStop(cf(loop));
}

}  // namespace vyx::os
