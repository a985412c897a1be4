// The user-interface objects that the src/os calls hand to the program:
// menus and items, the status item, alerts, windows, views and timers.
//
// Threads: main thread only, like every UI call. The objects belong to the
// desktop's UiState and live as long as the desktop; "released" objects stay
// behind as tombstones so that a later use is caught instead of reaching
// freed memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "os/application.h"
#include "os/controls.h"
#include "os/sim/desktop.h"
#include "os/status_bar.h"
#include "os/ui_types.h"
#include "os/views.h"
#include "os/window.h"

namespace vyx::os {

struct MenuItem;

struct Menu {
  std::string title;
  std::vector<MenuItem*> items;
  MenuItem* supermenuItem = nullptr;  // the item that carries it as its submenu
};

struct MenuItem {
  bool separator = false;
  std::string title;
  std::string action;  // selector name, empty for none
  std::string keyEquivalent;
  Target* target = nullptr;  // not owned: the program keeps its targets alive
  bool enabled = true;       // false only when explicitly disabled
  Menu* submenu = nullptr;
  Menu* menu = nullptr;  // the menu that holds it, null once removed
};

struct StatusItem {
  double length = kVariableStatusItemLength;
  std::string title;
  std::optional<Font> font;
  Menu* menu = nullptr;
  bool removed = false;
};

struct Alert {
  std::string messageText;
  std::string informativeText;
  std::vector<std::string> buttons;
  bool released = false;
  bool running = false;
  std::optional<int64_t> response;  // set by the button press that ends the modal loop
};

struct TableColumn {
  std::string identifier;
  std::string title;
  double width = 0;
};

// One type for every kind of view; the fields a kind does not use stay at
// their defaults.
struct View {
  sim::ViewKind kind = sim::ViewKind::view;
  Rect frame;
  View* parent = nullptr;
  Window* window = nullptr;     // set on a window's content view only
  std::vector<View*> subviews;  // back to front
  double alpha = 1;
  AutoresizingMask autoresizingMask = 0;
  std::optional<std::pair<double, double>> lastAnimation;  // duration, target alpha

  // Layer.
  bool wantsLayer = false;
  std::optional<Color> layerBackground;
  double borderWidth = 0;
  std::optional<Color> borderColor;
  double cornerRadius = 0;
  std::optional<GradientLayer> gradient;

  // Labels and text fields.
  std::string text;  // a button's title too
  std::string placeholder;
  bool editable = false;
  bool bezeled = false;
  bool drawsBackground = false;
  Font font;
  Color textColor = Color::dynamic(SystemColor::label);
  TextAlignment alignment = TextAlignment::natural;
  LineBreakMode lineBreakMode = LineBreakMode::clipping;
  int64_t maximumNumberOfLines = 0;

  // Buttons.
  std::string action;
  Target* target = nullptr;  // not owned
  BezelStyle bezelStyle = kBezelStyleRounded;
  ControlSize controlSize = ControlSize::regular;
  std::string keyEquivalent;
  std::optional<Color> bezelColor;

  // Scroll view and table.
  bool hasVerticalScroller = false;
  std::vector<TableColumn> columns;
  Target* dataSource = nullptr;                // not owned
  std::vector<std::vector<std::string>> rows;  // as of the last reload
  int64_t selectedRow = -1;

  // Visual effect.
  int64_t material = 0;
  int64_t blendingMode = 0;
  int64_t state = 0;
};

struct Window {
  size_t id = 0;
  std::string title;
  Rect frame;  // the content rectangle on the screen
  WindowStyleMask styleMask = 0;
  BackingStoreType backing = kBackingStoreBuffered;
  bool deferred = false;
  bool releasedWhenClosed = true;
  bool titlebarTransparent = false;
  bool titleHidden = false;
  bool movableByBackground = false;
  View* content = nullptr;
  View* firstResponder = nullptr;  // an editable field of this window, or none
  bool visible = false;
  bool released = false;
};

struct Timer {
  uint64_t loopId = 0;
  bool valid = true;
};

}  // namespace vyx::os
