#include "shell/tray.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "log/error.h"
#include "log/logger.h"
#include "os/application.h"
#include "os/handle.h"
#include "os/launch.h"
#include "os/main_queue.h"
#include "pipeline/app.h"
#include "pipeline/key_codes.h"
#include "platform/accessibility.h"
#include "shell/exceptions_window.h"
#include "shell/hook_control.h"
#include "shell/messages.h"
#include "shell/orderly_exit.h"
#include "store/config.h"
#include "store/custom_dict.h"
#include "text/unicode.h"

namespace vyx {

std::atomic<int32_t> trayEnabledFlag{1};

namespace {

int hookActive() {
  return hookStarted.load() == 1 ? 1 : 0;
}

int trayState() {
  return trayEnabledFlag.load() == 1 ? 1 : 0;
}

struct PausedApp {
  std::string bundleID;
  bool added = false;                 // false: an entry in config.yaml already covered it
  std::optional<Error> error;         // the exclusion still holds in memory after a failed save
  std::optional<std::string> keptAs;  // where a config.yaml that did not load went
};

// Excludes the frontmost application in the App's settings and saves them,
// whether or not it was newly added. An unknown application and the program
// itself are refused, and nothing is written.
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
  (void)cfg.AddExcludedApp(out.bundleID);
  // Whether it was new is the file's to say: the person may have taken an
  // entry out of config.yaml that is still in force here.
  const Result<ConfigSaved> saved = SaveConfig(cfg);
  if (!saved.ok()) {
    out.error = saved.error();
    return out;
  }
  const std::vector<std::string>& added = saved->addedApps;
  out.added = std::find(added.begin(), added.end(), trimSpace(out.bundleID)) != added.end();
  out.keptAs = saved->keptAs;
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
    return;
  }
  // The person's own file, when it did not load, was moved out of the way.
  const std::string kept =
      paused.keptAs
          ? sformat(" Прежний config.yaml не загружался; он сохранён как %s.", *paused.keptAs)
          : std::string();
  if (paused.added) {
    showTrayMessage("App paused",
                    sformat("Vyx больше не будет исправлять текст в %s. Настройка сохранена в "
                            "config.yaml.",
                            paused.bundleID) +
                        kept);
  } else {
    showTrayMessage(
        "Already paused",
        sformat("%s уже подходит под excluded_apps в config.yaml.", paused.bundleID) + kept);
  }
}

[[noreturn]] void goTrayQuit() {
  logLine("Quit from tray");
  ui::removeTray();
  runBeforeExitHook();
  exitProcess(0);
}

Status openCustomDict() {
  const Result<std::string> path = customDictPath();
  if (!path.ok()) return path.error();
  if (Status made = ensureCustomDictFile(*path); !made.ok()) return made;
  return os::launchOpen({"-a", "TextEdit", *path});
}

// Creates the user word list when missing and opens it in TextEdit; a
// failure shows "Не удалось открыть словарь".
void goTrayOpenDictionary() {
  if (const Status opened = openCustomDict(); !opened.ok()) {
    showTrayMessage("Не удалось открыть словарь", opened.error().message());
  }
}

}  // namespace

bool isTrayEnabled() {
  return trayEnabledFlag.load() == 1;
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

namespace vyx::ui {

namespace {

constexpr std::string_view kIconWaiting = "\u26A0\uFE0E";  // ⚠︎: the hook is not running
constexpr std::string_view kIconActive = "\u26A1";         // ⚡
constexpr std::string_view kIconPaused = "\U0001F4A4";     // 💤

void buildMainMenu() {
  os::Menu* mainMenu = os::menuCreate("");
  os::MenuItem* editItem = os::menuAddItem(mainMenu, "", "", "");
  os::Menu* edit = os::menuCreate("Правка");
  // No target: they go to the first responder, which gives the windows'
  // text fields Command+X, C, V and A.
  os::menuAddItem(edit, "Вырезать", "cut:", "x");
  os::menuAddItem(edit, "Копировать", "copy:", "c");
  os::menuAddItem(edit, "Вставить", "paste:", "v");
  os::menuAddItem(edit, "Выбрать всё", "selectAll:", "a");
  os::menuItemSetSubmenu(editItem, edit);
  os::applicationSetMainMenu(mainMenu);
}

std::string_view trayTitle(int enabled, int hookActive) {
  if (hookActive == 0) return kIconWaiting;
  return enabled != 0 ? kIconActive : kIconPaused;
}

os::Menu* makeMemo(os::Target* target) {
  os::Menu* memo = os::menuCreate("Памятка");
  constexpr std::string_view kLines[] = {
      "Автозамена: слово не в той раскладке правится после пробела/Enter/пунктуации",
      "⌘Z — отменить замену (5 сек) и выучить исключение",
      "Shift Shift (быстро дважды) — конвертировать последнее слово",
      "⌘⇧X — конвертировать выделенный текст",
      "",
      "Стёр исправление и перенабрал — Vyx сам выучит исключение",
      "«Не исправлять в текущем приложении» — исключить программу навсегда",
      "",
      // Fixed text: it does not follow a directory set through the environment.
      "Конфиг: ~/Library/Application Support/Vyx/config.yaml",
  };
  for (const std::string_view line : kLines) {
    if (line.empty()) {
      os::menuAddSeparator(memo);
    } else {
      // Without an action they read as disabled text lines.
      os::menuItemSetTarget(os::menuAddItem(memo, line, "", ""), target);
    }
  }
  return memo;
}

void addMemo(os::Menu* menu, os::Target* target) {
  TrayUi& tray = shellUi().tray;
  tray.memoItem = os::menuAddItem(menu, "Памятка", "", "");
  os::menuItemSetTarget(tray.memoItem, target);
  if (tray.memoMenu == nullptr) tray.memoMenu = makeMemo(target);
  os::menuItemSetSubmenu(tray.memoItem, tray.memoMenu);
}

// The handler is looked up when the item is chosen, so handlers installed
// after the menu was built still count.
std::function<void()> callHandler(std::function<void()> TrayHandlers::*handler) {
  return [handler] {
    // A copy: the handler may install others while it runs.
    const std::function<void()> call = shellUi().tray.handlers.*handler;
    if (call) call();
  };
}

// TrayDelegate: the one object behind the status menu and the exceptions
// window. Five actions call the handlers the composition root installed; the
// others open the user word list and belong to the exceptions window.
std::unique_ptr<os::Target> makeTrayDelegate() {
  auto delegate = std::make_unique<os::Target>();
  auto& actions = delegate->actions;
  actions["toggleAction:"] = callHandler(&TrayHandlers::goTrayToggle);
  actions["openAccessibilityAction:"] = callHandler(&TrayHandlers::goTrayOpenAccessibility);
  actions["checkPermissionAction:"] = callHandler(&TrayHandlers::goTrayCheckPermission);
  actions["pauseForAppAction:"] = callHandler(&TrayHandlers::goTrayPauseForApp);
  actions["openDictionaryAction:"] = goTrayOpenDictionary;
  addExceptionsActions(*delegate);
  actions["quitAction:"] = callHandler(&TrayHandlers::goTrayQuit);
  return delegate;
}

void rebuildTrayMenu(int enabled, int hookActive) {
  const os::AutoreleasePool pool;
  TrayUi& tray = shellUi().tray;
  if (tray.trayMenu == nullptr) {
    tray.trayMenu = os::menuCreate("");
  } else {
    // A menu is one item's submenu at most: "Памятка" leaves the old item
    // before it goes.
    if (tray.memoItem != nullptr) os::menuItemSetSubmenu(tray.memoItem, nullptr);
    tray.memoItem = nullptr;
    os::menuRemoveAllItems(tray.trayMenu);
  }
  os::Menu* menu = tray.trayMenu;
  os::Target* target = tray.trayDelegate.get();
  const auto add = [&](std::string_view title, std::string_view action, std::string_view key = "") {
    os::MenuItem* item = os::menuAddItem(menu, title, action, key);
    os::menuItemSetTarget(item, target);
    return item;
  };
  if (hookActive == 0) {
    os::menuItemSetEnabled(os::menuAddItem(menu, "Нужен доступ Accessibility", "", ""), false);
    add("Проверить доступ и включить", "checkPermissionAction:");
    add("Открыть Accessibility Settings", "openAccessibilityAction:");
    os::menuAddSeparator(menu);
  } else {
    os::menuItemSetEnabled(os::menuAddItem(menu, "Vyx активен", "", ""), false);
  }
  add(enabled != 0 ? "⏸ Приостановить" : "▶ Включить", "toggleAction:");
  os::menuAddSeparator(menu);
  add("Не исправлять в текущем приложении", "pauseForAppAction:");
  addMemo(menu, target);
  os::menuAddSeparator(menu);
  add("Открыть свой словарь", "openDictionaryAction:");
  add("Исключения…", "exceptionsAction:");
  os::menuAddSeparator(menu);
  add("Выйти", "quitAction:", "q");
  if (tray.statusItem != nullptr) os::statusItemSetMenu(tray.statusItem, menu);
}

void applyTrayState(int enabled, int hookActive) {
  const os::AutoreleasePool pool;
  if (os::StatusItem* item = shellUi().tray.statusItem) {
    os::statusItemSetTitle(item, trayTitle(enabled, hookActive));
  }
  rebuildTrayMenu(enabled, hookActive);
}

}  // namespace

void setTrayHandlers(TrayHandlers handlers) {
  shellUi().tray.handlers = std::move(handlers);
}

void ensureApp() {
  const os::AutoreleasePool pool;
  os::applicationSetActivationPolicy(os::ActivationPolicy::accessory);
  buildMainMenu();
  TrayUi& tray = shellUi().tray;
  if (!tray.trayDelegate) tray.trayDelegate = makeTrayDelegate();
  tray.statusItem = os::statusBarCreateItem(os::kVariableStatusItemLength);
  os::statusItemSetFont(tray.statusItem, os::Font{.size = 14.0});
  os::statusItemSetTitle(tray.statusItem, kIconWaiting);
  rebuildTrayMenu(1, 0);
}

void runNSApp() {
  os::applicationRun();
}

void updateTrayState(int enabled, int hookActive) {
  os::dispatchAsyncMain([enabled, hookActive] { applyTrayState(enabled, hookActive); });
}

void removeTray() {
  os::dispatchAsyncMain([] {
    const os::AutoreleasePool pool;
    TrayUi& tray = shellUi().tray;
    if (tray.statusItem == nullptr) return;
    os::statusBarRemoveItem(tray.statusItem);
    tray.statusItem = nullptr;
  });
}

}  // namespace vyx::ui
