// What the files of the Mac binding share: text, geometry, colours and fonts
// across the seam, the seam's handles as the system's own objects, and the
// object that receives a Target's actions.
//
// Ownership: a handle made from an object that the seam keeps for the life of
// the process (views, windows, menus, timers, the status item until removed)
// holds one retain of its own; a handle borrowed from another object (a menu
// item from its menu, a window's content view) holds none.
#pragma once

#import <AppKit/AppKit.h>

#include <string>
#include <string_view>

#include "os/ui_types.h"

namespace vyx::os::mac {

// UTF-8 across the seam; bytes that are not UTF-8 give the empty string.
[[nodiscard]] NSString* toNSString(std::string_view text);
[[nodiscard]] std::string toString(NSString* text);

[[nodiscard]] inline NSRect toNSRect(Rect r) {
  return NSMakeRect(r.x, r.y, r.width, r.height);
}
[[nodiscard]] inline Rect toRect(NSRect r) {
  return {r.origin.x, r.origin.y, r.size.width, r.size.height};
}
[[nodiscard]] NSColor* toNSColor(const Color& color);
[[nodiscard]] NSFont* toNSFont(const Font& font);

// A handle holding one retain of the object, never given back.
template <class Handle>
[[nodiscard]] Handle* retainedHandle(id object) {
  return static_cast<Handle*>((__bridge_retained void*)object);
}
// A handle that holds no retain: valid while its owner keeps the object.
template <class Handle>
[[nodiscard]] Handle* borrowedHandle(id object) {
  return static_cast<Handle*>((__bridge void*)object);
}
template <class Object, class Handle>
[[nodiscard]] Object* objectOf(const Handle* handle) {
  return (__bridge Object*)static_cast<const void*>(handle);
}

// The object that receives the target's actions and serves as a table's
// data source; one per target, kept for the life of the process.
[[nodiscard]] id targetObject(Target* target);

}  // namespace vyx::os::mac
