#include "os/sim/ui_state.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "os/sim/desktop_impl.h"
#include "os/sim/main_loop.h"

namespace vyx::os::sim {

UiState& uiState(const char* operation) {
  requireMainThread(operation);
  return Desktop::current()->impl().ui;
}

void uiFault(const char* operation, std::string_view what) {
  std::fprintf(stderr, "simulated desktop: %s: %.*s\n", operation, static_cast<int>(what.size()),
               what.data());
  std::abort();
}

View& checkedView(const UiState& ui, const View* view, const char* operation,
                  std::initializer_list<ViewKind> kinds) {
  View& v = checked(ui, const_cast<View*>(view), operation);
  if (kinds.size() != 0 && std::find(kinds.begin(), kinds.end(), v.kind) == kinds.end()) {
    uiFault(operation, "view of the wrong kind");
  }
  return v;
}

Window& checkedWindow(const UiState& ui, Window* window, const char* operation) {
  Window& w = checked(ui, window, operation);
  if (w.released) uiFault(operation, "window used after it was closed and released");
  return w;
}

Window& useWindow(Window* window, const char* operation) {
  return checkedWindow(uiState(operation), window, operation);
}

Window* windowOf(const View& view) {
  const View* root = &view;
  while (root->parent != nullptr) root = root->parent;
  return root->window;
}

StatusItem* shownStatusItem(const UiState& ui) {
  for (const auto& item : ui.statusItems) {
    if (!item->removed) return item.get();
  }
  return nullptr;
}

bool firstResponderAnswers(const UiState& ui, std::string_view action) {
  static constexpr std::string_view kEditActions[] = {"cut:", "copy:", "paste:", "selectAll:"};
  const Window* key = ui.keyWindow;
  if (key == nullptr || key->firstResponder == nullptr || !key->firstResponder->editable) {
    return false;
  }
  return std::find(std::begin(kEditActions), std::end(kEditActions), action) !=
         std::end(kEditActions);
}

bool menuItemShowsEnabled(const UiState& ui, const MenuItem& item) {
  if (item.separator || !item.enabled) return false;
  if (item.submenu != nullptr) return true;
  if (item.action.empty()) return false;
  if (item.target != nullptr) return item.target->respondsTo(item.action);
  return firstResponderAnswers(ui, item.action);
}

void sendAction(Target* target, const std::string& action) {
  if (action.empty() || target == nullptr) return;
  const auto it = target->actions.find(action);
  if (it == target->actions.end()) return;
  // A copy: the action may rebuild whatever holds it.
  const std::function<void()> perform = it->second;
  if (perform) perform();
}

void orderFrontAndMakeKey(UiState& ui, Window& window) {
  std::erase(ui.windowOrder, &window);
  ui.windowOrder.insert(ui.windowOrder.begin(), &window);
  window.visible = true;
  ui.keyWindow = &window;
  // A window that becomes key without a focused field focuses its first
  // editable one, in subview order, as its initial first responder.
  if (window.firstResponder != nullptr || window.content == nullptr) return;
  std::vector<View*> pending{window.content};
  while (!pending.empty()) {
    View* v = pending.front();
    pending.erase(pending.begin());
    if (v->kind == ViewKind::textField && v->editable) {
      window.firstResponder = v;
      return;
    }
    pending.insert(pending.begin(), v->subviews.begin(), v->subviews.end());
  }
}

void closeWindow(UiState& ui, Window& window) {
  window.visible = false;
  std::erase(ui.windowOrder, &window);
  if (ui.keyWindow == &window) {
    ui.keyWindow = ui.windowOrder.empty() ? nullptr : ui.windowOrder.front();
  }
  if (window.releasedWhenClosed) window.released = true;
}

}  // namespace vyx::os::sim
