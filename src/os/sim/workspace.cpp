// The workspace (workspace.h): the applications, the frontmost one,
// activation and its notification, and what reaches each application's text
// field.
#include <algorithm>

#include "os/sim/core_state.h"
#include "os/sim/desktop_impl.h"
#include "os/sim/key_codes.h"
#include "os/workspace.h"
#include "pipeline/key_codes.h"  // for kOwnBundleID alone: the keys are the simulation's own
#include "text/utf8.h"

namespace vyx::os::sim {

namespace {

SimApp* addAppLocked(Workspace& workspace, const AppInfo& info) {
  workspace.apps.push_back(std::make_unique<SimApp>(SimApp{info, {}, {}, 0}));
  return workspace.apps.back().get();
}

// Makes the chosen application frontmost and, when that changed anything,
// queues the activation notification for every observer. Queued under the
// lock so that notifications keep the order of the activations.
template <class Pick>
void activateApp(Desktop::Impl& impl, bool programCall, Pick&& pick) {
  CoreState& core = impl.core;
  const std::lock_guard lock(core.mu);
  Workspace& ws = core.workspace;
  if (programCall) ++ws.activations;
  SimApp* app = pick(ws);
  if (app == ws.front) return;
  ws.front = app;
  const ActivationNotification note{RunningApplication{app->info.bundleID}};
  for (const ActivationBlock& block : ws.observers) {
    // As on a Mac, where the notice comes through the main operation queue,
    // it is delivered while an alert is open too.
    impl.main.post([block, note] { (*block)(note); }, MainLoop::Modes::all);
  }
}

SimApp* appByID(Workspace& ws, std::string_view bundleID) {
  if (SimApp* app = findApp(ws, bundleID)) return app;
  return addAppLocked(ws, AppInfo{std::string(bundleID)});
}

}  // namespace

// The program is the application of its bundle identifier, as its
// Info.plist makes it on a Mac.
void activateOwnApp(Desktop::Impl& impl) {
  activateApp(impl, true, [](Workspace& ws) { return appByID(ws, kOwnBundleID); });
}

SimApp* findApp(Workspace& workspace, std::string_view bundleID) {
  for (const auto& app : workspace.apps) {
    if (app->info.bundleID == bundleID) return app.get();
  }
  return nullptr;
}

void deliverLocked(CoreState& core, const Event* event) {
  SimApp* app = core.workspace.front;
  if (app == nullptr) return;
  const EventData data = readEvent(event);
  app->arrivals.push_back(arrivalOf(data));
  app->arrivals.back().arrivedNs = nanosSinceEpoch(std::chrono::steady_clock::now());
  switch (data.type) {
    case kEventKeyDown: {
      const auto keycode = static_cast<uint16_t>(data.keycode);
      const FieldEffect effect = app->field.keyDown(
          keycode, data.flags, data.text, [&] { return plainTextLocked(core.pasteboard); });
      const bool copyIgnored = app->info.ignoresCopy && keycode == key::kC;
      if (effect.copy && !copyIgnored)
        writePlainTextLocked(core.pasteboard, encodeUtf8(*effect.copy));
      if (effect.undo) ++app->undoRequests;
      break;
    }
    case kEventLeftMouseDown:
      app->field.click(data.location.x);
      break;
    case kEventLeftMouseDragged:
      app->field.dragTo(data.location.x);
      break;
    default:
      break;
  }
}

void Desktop::addApp(const AppInfo& app) {
  const std::lock_guard lock(impl_->core.mu);
  addAppLocked(impl_->core.workspace, app);
}

// An application not known yet is started by its activation.
void Desktop::activate(std::string_view bundleID) {
  activateApp(*impl_, false, [&](Workspace& ws) { return appByID(ws, bundleID); });
}

void Desktop::activateAnonymous() {
  activateApp(*impl_, false, [](Workspace& ws) {
    for (const auto& app : ws.apps) {
      if (!app->info.bundleID) return app.get();
    }
    return addAppLocked(ws, AppInfo{std::nullopt});
  });
}

std::optional<std::string> Desktop::frontmost() const {
  const std::lock_guard lock(impl_->core.mu);
  const SimApp* front = impl_->core.workspace.front;
  return front == nullptr ? std::nullopt : front->info.bundleID;
}

FieldState Desktop::field(std::string_view bundleID) const {
  const std::lock_guard lock(impl_->core.mu);
  const SimApp* app = findApp(impl_->core.workspace, bundleID);
  return app == nullptr ? FieldState{} : app->field.state();
}

std::string Desktop::text(std::string_view bundleID) const {
  return field(bundleID).text;
}

void Desktop::setField(std::string_view bundleID, const FieldState& state) {
  const std::lock_guard lock(impl_->core.mu);
  appByID(impl_->core.workspace, bundleID)->field.set(state);
}

std::vector<Arrival> Desktop::arrivals(std::string_view bundleID) const {
  const std::lock_guard lock(impl_->core.mu);
  const SimApp* app = findApp(impl_->core.workspace, bundleID);
  return app == nullptr ? std::vector<Arrival>{} : app->arrivals;
}

int Desktop::undoRequests(std::string_view bundleID) const {
  const std::lock_guard lock(impl_->core.mu);
  const SimApp* app = findApp(impl_->core.workspace, bundleID);
  return app == nullptr ? 0 : app->undoRequests;
}

int Desktop::activations() {
  const std::lock_guard lock(impl_->core.mu);
  return impl_->core.workspace.activations;
}

}  // namespace vyx::os::sim

namespace vyx::os {

std::optional<RunningApplication> frontmostApplication() {
  sim::CoreState* core = sim::currentCore();
  if (core == nullptr) return std::nullopt;
  const std::lock_guard lock(core->mu);
  const sim::SimApp* front = core->workspace.front;
  if (front == nullptr) return std::nullopt;
  return RunningApplication{front->info.bundleID};
}

void addActivationObserverOnMainQueue(std::function<void(const ActivationNotification&)> block) {
  sim::CoreState* core = sim::currentCore();
  if (core == nullptr) return;
  const std::lock_guard lock(core->mu);
  core->workspace.observers.push_back(
      std::make_shared<const std::function<void(const ActivationNotification&)>>(std::move(block)));
}

}  // namespace vyx::os
