// The Desktop's user-interface methods: each runs its work on the main
// thread through the control queue, which is served during modal alerts too.
#include <functional>
#include <type_traits>

#include "os/sim/desktop_impl.h"
#include "os/sim/ui_state.h"
#include "os/sim/ui_svg.h"

namespace vyx::os::sim {

namespace {

template <class F>
auto onUi(Desktop::Impl& impl, F&& work) {
  std::invoke_result_t<F&, UiState&> result{};
  impl.main.control([&] { result = work(impl.ui); });
  return result;
}

Window* liveWindow(const UiState& ui, size_t id) {
  if (id >= ui.windows.size() || ui.windows[id]->released) return nullptr;
  return ui.windows[id].get();
}

// A shown window, made key as a click in it would.
Window* clickedWindow(UiState& ui, size_t id) {
  Window* w = liveWindow(ui, id);
  if (w == nullptr || !w->visible || w->content == nullptr) return nullptr;
  orderFrontAndMakeKey(ui, *w);
  return w;
}

// Depth first, back to front.
View* findView(View* root, const std::function<bool(const View&)>& match) {
  if (match(*root)) return root;
  for (View* child : root->subviews) {
    if (View* found = findView(child, match)) return found;
  }
  return nullptr;
}

bool pressButton(UiState& ui, size_t windowID, const std::function<bool(const View&)>& match) {
  Window* w = clickedWindow(ui, windowID);
  if (w == nullptr) return false;
  const View* b =
      findView(w->content, [&](const View& v) { return v.kind == ViewKind::button && match(v); });
  if (b == nullptr) return false;
  sendAction(b->target, std::string(b->action));
  return true;
}

}  // namespace

std::optional<std::string> Desktop::statusItemTitle() {
  return onUi(*impl_, [](UiState& ui) -> std::optional<std::string> {
    const StatusItem* s = shownStatusItem(ui);
    if (s == nullptr) return std::nullopt;
    return s->title;
  });
}

std::optional<Font> Desktop::statusItemFont() {
  return onUi(*impl_, [](UiState& ui) -> std::optional<Font> {
    const StatusItem* s = shownStatusItem(ui);
    if (s == nullptr) return std::nullopt;
    return s->font;
  });
}

std::optional<MenuSnapshot> Desktop::statusMenu() {
  return onUi(*impl_, [](UiState& ui) -> std::optional<MenuSnapshot> {
    const StatusItem* s = shownStatusItem(ui);
    if (s == nullptr || s->menu == nullptr) return std::nullopt;
    return snapshotMenu(ui, *s->menu);
  });
}

std::optional<MenuSnapshot> Desktop::mainMenu() {
  return onUi(*impl_, [](UiState& ui) -> std::optional<MenuSnapshot> {
    if (ui.mainMenu == nullptr) return std::nullopt;
    return snapshotMenu(ui, *ui.mainMenu);
  });
}

int Desktop::activationPolicy() {
  return onUi(*impl_, [](UiState& ui) { return static_cast<int>(ui.activationPolicy); });
}

bool Desktop::clickStatusMenuItem(const std::vector<std::string>& path) {
  return onUi(*impl_, [&](UiState& ui) {
    const StatusItem* s = shownStatusItem(ui);
    if (s == nullptr || path.empty()) return false;
    const Menu* menu = s->menu;
    const MenuItem* found = nullptr;
    for (const std::string& title : path) {
      if (menu == nullptr) return false;
      found = nullptr;
      for (const MenuItem* item : menu->items) {
        if (!item->separator && item->title == title) {
          found = item;
          break;
        }
      }
      if (found == nullptr || !menuItemShowsEnabled(ui, *found)) return false;
      menu = found->submenu;
    }
    // An item that only opens a submenu performs nothing.
    if (found->submenu != nullptr) return false;
    sendAction(found->target, std::string(found->action));
    return true;
  });
}

std::optional<AlertSnapshot> Desktop::currentAlert() {
  return onUi(*impl_, [](UiState& ui) -> std::optional<AlertSnapshot> {
    const Alert* a = shownAlert(ui);
    if (a == nullptr) return std::nullopt;
    return AlertSnapshot{a->messageText, a->informativeText, a->buttons};
  });
}

std::vector<AlertSnapshot> Desktop::alertHistory() {
  return onUi(*impl_, [](UiState& ui) { return ui.alertHistory; });
}

bool Desktop::dismissAlert(std::string_view button) {
  const bool pressed = onUi(*impl_, [&](UiState& ui) { return pressAlertButton(ui, button); });
  // The program goes on from the alert: let it run up to a next one.
  if (pressed && !impl_->main.isMainThread()) drainMainQueue();
  return pressed;
}

int64_t Desktop::liveAlerts() {
  return onUi(*impl_, [](UiState& ui) {
    int64_t live = 0;
    for (const auto& a : ui.alerts) live += a->released ? 0 : 1;
    return live;
  });
}

std::vector<WindowSnapshot> Desktop::windows() {
  return onUi(*impl_, [](UiState& ui) {
    std::vector<WindowSnapshot> out;
    for (const auto& w : ui.windows) {
      if (!w->released) out.push_back(snapshotWindow(ui, *w));
    }
    return out;
  });
}

std::optional<WindowSnapshot> Desktop::window(size_t id) {
  return onUi(*impl_, [&](UiState& ui) -> std::optional<WindowSnapshot> {
    const Window* w = liveWindow(ui, id);
    if (w == nullptr) return std::nullopt;
    return snapshotWindow(ui, *w);
  });
}

bool Desktop::clickButton(size_t windowID, std::string_view title) {
  return onUi(*impl_, [&](UiState& ui) {
    return pressButton(ui, windowID, [&](const View& v) { return v.text == title; });
  });
}

bool Desktop::pressReturn(size_t windowID) {
  return onUi(*impl_, [&](UiState& ui) {
    return pressButton(ui, windowID, [](const View& v) { return v.keyEquivalent == "\r"; });
  });
}

bool Desktop::setFieldText(size_t windowID, std::string_view placeholder, std::string_view text) {
  return onUi(*impl_, [&](UiState& ui) {
    Window* w = clickedWindow(ui, windowID);
    if (w == nullptr) return false;
    View* field = findView(w->content, [&](const View& v) {
      return (v.kind == ViewKind::textField || v.kind == ViewKind::label) && v.editable &&
             v.placeholder == placeholder;
    });
    if (field == nullptr) return false;
    field->text = std::string(text);
    w->firstResponder = field;
    return true;
  });
}

bool Desktop::selectTableRow(size_t windowID, int64_t row) {
  return onUi(*impl_, [&](UiState& ui) {
    Window* w = clickedWindow(ui, windowID);
    if (w == nullptr) return false;
    View* table = findView(w->content, [](const View& v) { return v.kind == ViewKind::table; });
    if (table == nullptr || row < -1 || row >= static_cast<int64_t>(table->rows.size())) {
      return false;
    }
    table->selectedRow = row;
    return true;
  });
}

bool Desktop::closeWindow(size_t windowID) {
  return onUi(*impl_, [&](UiState& ui) {
    Window* w = liveWindow(ui, windowID);
    constexpr WindowStyleMask closeButton = kWindowStyleMaskTitled | kWindowStyleMaskClosable;
    if (w == nullptr || !w->visible || (w->styleMask & closeButton) != closeButton) return false;
    sim::closeWindow(ui, *w);
    return true;
  });
}

std::string Desktop::windowSvg(size_t windowID) {
  return onUi(*impl_, [&](UiState& ui) {
    const Window* w = liveWindow(ui, windowID);
    return w == nullptr ? std::string() : drawWindowSvg(*w);
  });
}

std::string Desktop::statusMenuSvg() {
  return onUi(*impl_, [](UiState& ui) { return drawStatusMenuSvg(ui); });
}

}  // namespace vyx::os::sim
