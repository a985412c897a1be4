// Windows (window.h): an NSWindow with one retain of the handle's; a window
// released when closed gives that retain back as it closes.
#include "os/window.h"

#import <AppKit/AppKit.h>

#include "os/mac/objc_bridge.h"

namespace vyx::os {

namespace {

NSWindow* windowOf(Window* window) {
  return mac::objectOf<NSWindow>(window);
}

}  // namespace

Window* windowCreate(Rect contentRect, WindowStyleMask style, BackingStoreType backing,
                     bool defer) {
  return mac::retainedHandle<Window>([[NSWindow alloc]
      initWithContentRect:mac::toNSRect(contentRect)
                styleMask:static_cast<NSWindowStyleMask>(style)
                  backing:static_cast<NSBackingStoreType>(backing)
                    defer:defer]);
}

void windowSetTitle(Window* window, std::string_view title) {
  windowOf(window).title = mac::toNSString(title);
}

void windowSetReleasedWhenClosed(Window* window, bool released) {
  windowOf(window).releasedWhenClosed = released;
}

void windowSetTitlebarAppearsTransparent(Window* window, bool transparent) {
  windowOf(window).titlebarAppearsTransparent = transparent;
}

void windowSetTitleHidden(Window* window, bool hidden) {
  windowOf(window).titleVisibility = hidden ? NSWindowTitleHidden : NSWindowTitleVisible;
}

void windowSetMovableByWindowBackground(Window* window, bool movable) {
  windowOf(window).movableByWindowBackground = movable;
}

void windowSetContentView(Window* window, View* view) {
  windowOf(window).contentView = mac::objectOf<NSView>(view);
}

// Borrowed from the window, which keeps it while it is its content.
View* windowContentView(Window* window) {
  return mac::borrowedHandle<View>(windowOf(window).contentView);
}

void windowCenter(Window* window) {
  [windowOf(window) center];
}

// From macOS 14 activation is a request the frontmost application may turn
// down, and an inactive application's window is ordered front only behind
// it; ordering it front regardless brings it above the others all the same.
void windowMakeKeyAndOrderFront(Window* window) {
  NSWindow* w = windowOf(window);
  [w makeKeyAndOrderFront:nil];
  [w orderFrontRegardless];
}

void windowClose(Window* window) {
  [windowOf(window) close];
}

}  // namespace vyx::os
