// Windows.
//
// Threads: main thread only. A window made with releasedWhenClosed false
// lives on after it is closed and can be shown again.
#pragma once

#include <cstdint>
#include <string_view>

#include "os/ui_types.h"

namespace vyx::os {

struct Window;
struct View;

using WindowStyleMask = uint64_t;
inline constexpr WindowStyleMask kWindowStyleMaskTitled = 1;
inline constexpr WindowStyleMask kWindowStyleMaskClosable = 2;
inline constexpr WindowStyleMask kWindowStyleMaskMiniaturizable = 4;
inline constexpr WindowStyleMask kWindowStyleMaskResizable = 8;
inline constexpr WindowStyleMask kWindowStyleMaskFullSizeContentView = 0x8000;

using BackingStoreType = uint32_t;
inline constexpr BackingStoreType kBackingStoreBuffered = 2;

// contentRect in screen points; the window starts hidden.
[[nodiscard]] Window* windowCreate(Rect contentRect, WindowStyleMask style,
                                   BackingStoreType backing, bool defer);
void windowSetTitle(Window* window, std::string_view title);
void windowSetReleasedWhenClosed(Window* window, bool released);
void windowSetTitlebarAppearsTransparent(Window* window, bool transparent);
void windowSetTitleHidden(Window* window, bool hidden);
void windowSetMovableByWindowBackground(Window* window, bool movable);
// Replaces the content view; the view takes the content area's size.
void windowSetContentView(Window* window, View* view);
[[nodiscard]] View* windowContentView(Window* window);
void windowCenter(Window* window);
void windowMakeKeyAndOrderFront(Window* window);
// Hides the window (and releases it when releasedWhenClosed).
void windowClose(Window* window);

}  // namespace vyx::os
