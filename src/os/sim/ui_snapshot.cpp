// Snapshots of menus, views and windows as tests read them.
#include <cstdio>

#include "os/sim/ui_state.h"

namespace vyx::os::sim {

namespace {

std::string formatNumber(double value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", value);
  return buf;
}

}  // namespace

MenuSnapshot snapshotMenu(const UiState& ui, const Menu& menu) {
  MenuSnapshot out;
  out.title = menu.title;
  for (const MenuItem* item : menu.items) {
    MenuItemSnapshot& s = out.items.emplace_back();
    s.separator = item->separator;
    s.title = item->title;
    s.action = item->action;
    s.keyEquivalent = item->keyEquivalent;
    s.hasTarget = item->target != nullptr;
    s.enabled = menuItemShowsEnabled(ui, *item);
    if (item->submenu != nullptr) {
      MenuSnapshot sub = snapshotMenu(ui, *item->submenu);
      s.submenuTitle = std::move(sub.title);
      s.submenu = std::move(sub.items);
    }
  }
  return out;
}

ViewSnapshot snapshotView(const View& v) {
  ViewSnapshot s;
  s.kind = v.kind;
  s.frame = v.frame;
  s.alpha = v.alpha;
  s.autoresizingMask = v.autoresizingMask;
  s.text = v.text;
  s.placeholder = v.placeholder;
  s.editable = v.editable;
  s.bezeled = v.bezeled;
  s.drawsBackground = v.drawsBackground;
  const Window* window = windowOf(v);
  s.focused = window != nullptr && window->firstResponder == &v;
  s.font = v.font;
  s.textColor = v.textColor;
  s.alignment = v.alignment;
  s.lineBreakMode = v.lineBreakMode;
  s.maximumNumberOfLines = v.maximumNumberOfLines;
  s.wantsLayer = v.wantsLayer;
  s.layerBackground = v.layerBackground;
  s.borderWidth = v.borderWidth;
  s.borderColor = v.borderColor;
  s.cornerRadius = v.cornerRadius;
  if (v.gradient) {
    s.gradientColors = v.gradient->colors;
    s.gradientFrame = v.gradient->frame;
    s.gradientStart = v.gradient->startPoint;
    s.gradientEnd = v.gradient->endPoint;
  }
  s.action = v.action;
  s.hasTarget = v.target != nullptr;
  s.bezelStyle = v.bezelStyle;
  s.controlSize = static_cast<uint8_t>(v.controlSize);
  s.keyEquivalent = v.keyEquivalent;
  s.bezelColor = v.bezelColor;
  s.material = v.material;
  s.blendingMode = v.blendingMode;
  s.state = v.state;
  s.hasVerticalScroller = v.hasVerticalScroller;
  s.hasDataSource = v.dataSource != nullptr;
  for (const auto& c : v.columns)
    s.columns.push_back({c.identifier, c.title, formatNumber(c.width)});
  s.rows = v.rows;
  s.selectedRow = v.selectedRow;
  s.lastAnimation = v.lastAnimation;
  for (const View* child : v.subviews) s.children.push_back(snapshotView(*child));
  return s;
}

WindowSnapshot snapshotWindow(const UiState& ui, const Window& w) {
  WindowSnapshot s;
  s.id = w.id;
  s.title = w.title;
  s.frame = w.frame;
  s.styleMask = w.styleMask;
  s.backing = w.backing;
  s.deferred = w.deferred;
  s.visible = w.visible;
  s.key = ui.keyWindow == &w;
  s.titleHidden = w.titleHidden;
  s.titlebarTransparent = w.titlebarTransparent;
  s.movableByBackground = w.movableByBackground;
  s.releasedWhenClosed = w.releasedWhenClosed;
  if (w.content != nullptr) s.content = snapshotView(*w.content);
  return s;
}

}  // namespace vyx::os::sim
