#include "shell/tray_handlers.h"

#include "log/logger.h"
#include "pipeline/app.h"
#include "pipeline/key_codes.h"
#include "platform/accessibility.h"
#include "shell/hook_control.h"
#include "shell/orderly_exit.h"
#include "shell/tray_actions.h"
#include "shell/tray_ui.h"
#include "store/config.h"

namespace vyx {

std::atomic<int32_t> trayEnabledFlag{1};

namespace {

int hookActive() {
  return hookStarted.load() == 1 ? 1 : 0;
}

int trayState() {
  return trayEnabledFlag.load() == 1 ? 1 : 0;
}

}  // namespace

bool isTrayEnabled() {
  return trayEnabledFlag.load() == 1;
}

PausedApp pauseFrontmostApp(App* app) {
  PausedApp out;
  // The App holds its settings by reference, so "config is not initialized"
  // cannot arise here.
  if (app == nullptr) {
    out.error = Error("app is not initialized yet");
    return out;
  }
  const auto& frontmostApp = app->frontmostAppOp();
  if (!frontmostApp) {
    out.error = Error("frontmost app lookup is not available");
    return out;
  }
  out.bundleID = frontmostApp();
  if (out.bundleID.empty()) {
    out.error = Error("frontmost app is unknown");
    return out;
  }
  // After any of its alerts or windows the program itself is in front; it is
  // never corrected, and an entry for it would only clutter the settings.
  if (out.bundleID == kOwnBundleID) {
    out.error = Error(
        "frontmost app is Vyx itself, which is never corrected: switch to the application first");
    return out;
  }
  Config& cfg = app->config();
  out.added = cfg.AddExcludedApp(out.bundleID);
  if (const Status saved = SaveConfig(cfg); !saved.ok()) out.error = saved.error();
  return out;
}

void goTrayToggle() {
  if (trayEnabledFlag.load() == 1) {
    trayEnabledFlag.exchange(0);
    ui::updateTrayState(0, hookActive());
    logLine("Vyx paused");
  } else {
    trayEnabledFlag.exchange(1);
    ui::updateTrayState(1, hookActive());
    logLine("Vyx resumed");
  }
}

void goTrayOpenAccessibility() {
  promptAccessibility();
  openWithDefaultApp(kAccessibilityPaneURL);
}

void goTrayCheckPermission() {
  if (!checkAccessibility()) {
    promptAccessibility();
    ui::updateTrayState(trayState(), 0);
    showTrayMessage("Vyx needs Accessibility",
                    "Откройте System Settings → Privacy & Security → Accessibility, включите "
                    "Vyx, затем нажмите «Проверить доступ» ещё раз.");
    return;
  }
  if (const Status started = ensureKeyboardHook(); !started.ok()) {
    ui::updateTrayState(trayState(), 0);
    showTrayMessage("Vyx hook error", started.error().message());
    return;
  }
  showTrayMessage("Vyx is ready",
                  "Keyboard hook активен. Попробуйте напечатать ghbdtn и пробел в TextEdit или "
                  "Notes.");
}

void goTrayPauseForApp() {
  const PausedApp paused = pauseFrontmostApp(getTrayApp());
  if (paused.error) {
    showTrayMessage("Cannot pause app", paused.error->message());
  } else if (paused.added) {
    showTrayMessage("App paused",
                    sformat("Vyx больше не будет исправлять текст в %s. Настройка сохранена в "
                            "config.yaml.",
                            paused.bundleID));
  } else {
    showTrayMessage("Already paused",
                    sformat("%s уже подходит под excluded_apps в config.yaml.", paused.bundleID));
  }
}

void goTrayQuit() {
  logLine("Quit from tray");
  ui::removeTray();
  runBeforeExitHook();
  exitProcess(0);
}

ui::TrayHandlers trayHandlers() {
  return ui::TrayHandlers{
      .goTrayToggle = goTrayToggle,
      .goTrayOpenAccessibility = goTrayOpenAccessibility,
      .goTrayCheckPermission = goTrayCheckPermission,
      .goTrayPauseForApp = goTrayPauseForApp,
      .goTrayQuit = goTrayQuit,
  };
}

}  // namespace vyx
