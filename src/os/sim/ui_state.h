// The simulated user interface: application object, menus, status item,
// alerts, windows and views.
//
// Threads: the main thread alone touches UiState — the src/os UI calls check
// it with requireMainThread, and the Desktop's UI methods reach it through
// the main loop's control queue — so it needs no lock.
#pragma once

#include <memory>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "os/sim/ui_objects.h"

namespace vyx::os::sim {

struct UiState {
  // Every object handed out, owned here until the desktop goes; live holds
  // their addresses so that a pointer from elsewhere is caught.
  std::vector<std::unique_ptr<Menu>> menus;
  std::vector<std::unique_ptr<MenuItem>> menuItems;
  std::vector<std::unique_ptr<StatusItem>> statusItems;
  std::vector<std::unique_ptr<Alert>> alerts;
  std::vector<std::unique_ptr<Window>> windows;  // index = Window::id
  std::vector<std::unique_ptr<View>> views;
  std::vector<std::unique_ptr<Timer>> timers;
  std::unordered_set<const void*> live;

  ActivationPolicy activationPolicy = ActivationPolicy::regular;
  Menu* mainMenu = nullptr;
  QuitHandler quitHandler = nullptr;

  std::vector<Alert*> modalAlerts;  // the one shown is the last
  std::vector<AlertSnapshot> alertHistory;

  std::vector<Window*> windowOrder;  // visible windows, front first
  Window* keyWindow = nullptr;

  std::vector<double> animationDurations;  // the open animation groups, innermost last

  template <class T>
  T* make(std::vector<std::unique_ptr<T>>& store) {
    store.push_back(std::make_unique<T>());
    live.insert(store.back().get());
    return store.back().get();
  }
};

// The desktop's UI state, after checking that the caller is the main thread.
[[nodiscard]] UiState& uiState(const char* operation);

// Ends the process with a message naming the operation: the program misused
// a UI object (null, foreign, released, or of the wrong kind).
[[noreturn]] void uiFault(const char* operation, std::string_view what);

// The object, after checking that it is one this desktop handed out.
template <class T>
T& checked(const UiState& ui, T* object, const char* operation) {
  if (object == nullptr) uiFault(operation, "null object");
  if (ui.live.count(object) == 0) uiFault(operation, "object this desktop never made");
  return *object;
}

// Both checks at once, for a UI call that needs nothing else of the state.
template <class T>
T& use(T* object, const char* operation) {
  return checked(uiState(operation), object, operation);
}

[[nodiscard]] View& checkedView(const UiState& ui, const View* view, const char* operation,
                                std::initializer_list<ViewKind> kinds);
[[nodiscard]] Window& checkedWindow(const UiState& ui, Window* window, const char* operation);
[[nodiscard]] Window& useWindow(Window* window, const char* operation);

// A new view of a kind, owned by the desktop.
[[nodiscard]] View* makeView(const char* operation, ViewKind kind, Rect frame);

// Takes a view out of its parent, or out of its window as the content view.
void detach(View& view);

// The window whose content view holds the view, if any.
[[nodiscard]] Window* windowOf(const View& view);
// The status item the menu bar shows: the first one not removed.
[[nodiscard]] StatusItem* shownStatusItem(const UiState& ui);
// Whether the key window's focused field answers the standard edit action.
[[nodiscard]] bool firstResponderAnswers(const UiState& ui, std::string_view action);
// Automatic enabling: a submenu, or an action that reaches someone, and not
// explicitly disabled.
[[nodiscard]] bool menuItemShowsEnabled(const UiState& ui, const MenuItem& item);
// Sends an action as a control or menu item does: to the target when it
// answers, else to the first responder (whose edit actions change nothing
// the sim shows). Calls program code: hold no reference into UiState across.
void sendAction(Target* target, const std::string& action);

// The alert shown (the innermost not yet pressed), and a press of one of its
// buttons by title; false when none is shown or it has no such button.
[[nodiscard]] Alert* shownAlert(const UiState& ui);
[[nodiscard]] bool pressAlertButton(UiState& ui, std::string_view button);

// Ordering and focus.
void orderFrontAndMakeKey(UiState& ui, Window& window);
// Hides the window, and releases it when releasedWhenClosed.
void closeWindow(UiState& ui, Window& window);

// Snapshots, as the Desktop hands them to tests.
[[nodiscard]] MenuSnapshot snapshotMenu(const UiState& ui, const Menu& menu);
[[nodiscard]] ViewSnapshot snapshotView(const View& view);
[[nodiscard]] WindowSnapshot snapshotWindow(const UiState& ui, const Window& window);

}  // namespace vyx::os::sim
