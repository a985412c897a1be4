// Modal alerts: shown one at a time, each in a nested loop of the main loop
// that serves only the control queue, so queued blocks and timers wait until
// a test presses one of its buttons.
#include <algorithm>

#include "os/alert.h"
#include "os/sim/desktop_impl.h"
#include "os/sim/ui_state.h"

namespace vyx::os {

using sim::uiFault;
using sim::uiState;

namespace {

// What the modal loop answers when it ends without a button press (the
// desktop shutting down): AppKit's "aborted" response.
constexpr int64_t kModalResponseAbort = -1001;
constexpr int64_t kFirstButtonReturn = 1000;

Alert& checkedAlert(const sim::UiState& ui, Alert* alert, const char* operation) {
  Alert& a = sim::checked(ui, alert, operation);
  if (a.released) uiFault(operation, "alert used after it was released");
  return a;
}

}  // namespace

void release(Alert* alert) {
  constexpr const char* op = "release(Alert)";
  auto& ui = uiState(op);
  Alert& a = checkedAlert(ui, alert, op);
  if (a.running) uiFault(op, "alert released while it is shown");
  a.released = true;
}

Alert* alertCreate() {
  auto& ui = uiState("alertCreate");
  return ui.make(ui.alerts);
}

void alertSetMessageText(Alert* alert, std::string_view text) {
  auto& ui = uiState("alertSetMessageText");
  checkedAlert(ui, alert, "alertSetMessageText").messageText = std::string(text);
}

void alertSetInformativeText(Alert* alert, std::string_view text) {
  auto& ui = uiState("alertSetInformativeText");
  checkedAlert(ui, alert, "alertSetInformativeText").informativeText = std::string(text);
}

void alertAddButton(Alert* alert, std::string_view title) {
  auto& ui = uiState("alertAddButton");
  checkedAlert(ui, alert, "alertAddButton").buttons.emplace_back(title);
}

int64_t alertRunModal(Alert* alert) {
  constexpr const char* op = "alertRunModal";
  auto& ui = uiState(op);
  Alert& a = checkedAlert(ui, alert, op);
  if (a.running) uiFault(op, "alert is already shown");
  // An alert given no button gets "OK", as on a Mac.
  if (a.buttons.empty()) a.buttons.emplace_back("OK");
  a.running = true;
  a.response.reset();
  ui.modalAlerts.push_back(&a);
  ui.alertHistory.push_back({a.messageText, a.informativeText, a.buttons});
  sim::Desktop::current()->impl().main.runModal([&a] { return a.response.has_value(); });
  std::erase(ui.modalAlerts, &a);
  a.running = false;
  return a.response.value_or(kModalResponseAbort);
}

}  // namespace vyx::os

namespace vyx::os::sim {

Alert* shownAlert(const UiState& ui) {
  // A pressed alert is on its way out: its loop ends at the next turn.
  const auto it = std::find_if(ui.modalAlerts.rbegin(), ui.modalAlerts.rend(),
                               [](const Alert* a) { return !a->response; });
  return it == ui.modalAlerts.rend() ? nullptr : *it;
}

bool pressAlertButton(UiState& ui, std::string_view button) {
  Alert* alert = shownAlert(ui);
  if (alert == nullptr) return false;
  Alert& shown = *alert;
  for (size_t i = 0; i < shown.buttons.size(); ++i) {
    if (shown.buttons[i] == button) {
      shown.response = kFirstButtonReturn + static_cast<int64_t>(i);
      return true;
    }
  }
  return false;
}

}  // namespace vyx::os::sim
