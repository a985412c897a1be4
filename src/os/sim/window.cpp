// Windows: created hidden with a plain content view; one key window, the
// front one of those shown.
#include <cmath>

#include "os/sim/desktop_impl.h"
#include "os/sim/ui_state.h"
#include "os/window.h"

namespace vyx::os {

using sim::checkedWindow;
using sim::uiState;

Window* windowCreate(Rect contentRect, WindowStyleMask style, BackingStoreType backing,
                     bool defer) {
  auto& ui = uiState("windowCreate");
  Window* window = ui.make(ui.windows);
  window->id = ui.windows.size() - 1;
  window->frame = contentRect;
  window->styleMask = style;
  window->backing = backing;
  window->deferred = defer;
  View* content = ui.make(ui.views);
  content->frame = {0, 0, contentRect.width, contentRect.height};
  content->window = window;
  window->content = content;
  return window;
}

void windowSetTitle(Window* window, std::string_view title) {
  sim::useWindow(window, "windowSetTitle").title = std::string(title);
}

void windowSetReleasedWhenClosed(Window* window, bool released) {
  sim::useWindow(window, "windowSetReleasedWhenClosed").releasedWhenClosed = released;
}

void windowSetTitlebarAppearsTransparent(Window* window, bool transparent) {
  sim::useWindow(window, "windowSetTitlebarAppearsTransparent").titlebarTransparent = transparent;
}

void windowSetTitleHidden(Window* window, bool hidden) {
  sim::useWindow(window, "windowSetTitleHidden").titleHidden = hidden;
}

void windowSetMovableByWindowBackground(Window* window, bool movable) {
  sim::useWindow(window, "windowSetMovableByWindowBackground").movableByBackground = movable;
}

void windowSetContentView(Window* window, View* view) {
  constexpr const char* op = "windowSetContentView";
  auto& ui = uiState(op);
  Window& w = checkedWindow(ui, window, op);
  View& v = sim::checkedView(ui, view, op, {});
  sim::detach(v);
  if (w.content != nullptr) w.content->window = nullptr;
  w.firstResponder = nullptr;
  w.content = &v;
  v.window = &w;
  v.frame = {0, 0, w.frame.width, w.frame.height};
}

View* windowContentView(Window* window) {
  return sim::useWindow(window, "windowContentView").content;
}

void windowCenter(Window* window) {
  Window& w = sim::useWindow(window, "windowCenter");
  const Size screen = sim::Desktop::current()->impl().options.screen;
  // Whole points, as a Mac places windows.
  w.frame.x = std::floor((screen.width - w.frame.width) / 2);
  w.frame.y = std::floor((screen.height - w.frame.height) / 2);
}

void windowMakeKeyAndOrderFront(Window* window) {
  auto& ui = uiState("windowMakeKeyAndOrderFront");
  sim::orderFrontAndMakeKey(ui, checkedWindow(ui, window, "windowMakeKeyAndOrderFront"));
}

void windowClose(Window* window) {
  auto& ui = uiState("windowClose");
  sim::closeWindow(ui, checkedWindow(ui, window, "windowClose"));
}

}  // namespace vyx::os
