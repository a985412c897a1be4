#include "shell/tray_ui.h"

#include <string_view>
#include <utility>

#include "os/alert.h"
#include "os/application.h"
#include "os/handle.h"
#include "os/main_queue.h"

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

void addMemo(os::Menu* menu, os::Target* target) {
  os::MenuItem* memoItem = os::menuAddItem(menu, "Памятка", "", "");
  os::menuItemSetTarget(memoItem, target);
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
  os::menuItemSetSubmenu(memoItem, memo);
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

void applyTrayState(int enabled, int hookActive) {
  const os::AutoreleasePool pool;
  if (os::StatusItem* item = shellUi().tray.statusItem) {
    os::statusItemSetTitle(item, trayTitle(enabled, hookActive));
  }
  rebuildTrayMenu(enabled, hookActive);
}

void rebuildTrayMenu(int enabled, int hookActive) {
  const os::AutoreleasePool pool;
  TrayUi& tray = shellUi().tray;
  if (tray.trayMenu == nullptr) {
    tray.trayMenu = os::menuCreate("");
  } else {
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

void removeTray() {
  os::dispatchAsyncMain([] {
    const os::AutoreleasePool pool;
    TrayUi& tray = shellUi().tray;
    if (tray.statusItem == nullptr) return;
    os::statusBarRemoveItem(tray.statusItem);
    tray.statusItem = nullptr;
  });
}

void showTrayMessage(std::string title, std::string body) {
  os::dispatchAsyncMain(
      [title = std::move(title), body = std::move(body)] { presentTrayAlert(title, body); });
}

void presentTrayAlert(const std::string& title, const std::string& body) {
  const os::AutoreleasePool pool;
  const os::Ref<os::Alert> alert = os::adopt(os::alertCreate());
  os::alertSetMessageText(alert.get(), title);
  os::alertSetInformativeText(alert.get(), body);
  os::alertAddButton(alert.get(), "OK");
  os::applicationActivateIgnoringOtherApps(true);
  (void)os::alertRunModal(alert.get());
}

}  // namespace vyx::ui
