// The applications of the simulated desktop: which one is frontmost, their
// text fields and what reached them, and the observers of activations.
//
// Threads: guarded by CoreState::mu.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "os/sim/desktop.h"
#include "os/sim/text_field.h"
#include "os/workspace.h"

namespace vyx::os::sim {

struct CoreState;

struct SimApp {
  AppInfo info;
  TextField field;
  std::vector<Arrival> arrivals;
  int undoRequests = 0;
};

using ActivationBlock = std::shared_ptr<const std::function<void(const ActivationNotification&)>>;

struct Workspace {
  std::vector<std::unique_ptr<SimApp>> apps;
  SimApp* front = nullptr;
  std::vector<ActivationBlock> observers;
  int activations = 0;  // the program's applicationActivateIgnoringOtherApps calls
};

// The application with the bundle identifier, or null.
[[nodiscard]] SimApp* findApp(Workspace& workspace, std::string_view bundleID);
// The program activates its own application (applicationActivateIgnoringOtherApps).
void activateOwnApp(Desktop::Impl& impl);
// Hands an event that passed the taps to the frontmost application.
void deliverLocked(CoreState& core, const Event* event);

}  // namespace vyx::os::sim
