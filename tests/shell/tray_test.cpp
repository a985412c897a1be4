// The status item and its menu as the person sees them in each of the four
// states, every item reaching what it should, and the queued alerts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "os/application.h"
#include "shell/messages.h"
#include "shell/tray.h"
#include "shell_rig.h"

namespace vyx::testing {
namespace {

using os::sim::MenuItemSnapshot;
using Lines = std::vector<std::string>;

// One line per item: its title, " -> action", " [key]", and marks for an
// item shown disabled or without a target.
std::string describe(const MenuItemSnapshot& item) {
  if (item.separator) return "---";
  std::string s = item.title;
  if (!item.action.empty()) s += " -> " + item.action;
  if (!item.keyEquivalent.empty()) s += " [" + item.keyEquivalent + "]";
  if (!item.enabled) s += " (disabled)";
  if (!item.hasTarget) s += " (no target)";
  return s;
}

Lines describe(const std::vector<MenuItemSnapshot>& items) {
  Lines out;
  for (const auto& item : items) out.push_back(describe(item));
  return out;
}

const Lines kPermissionBlock = {
    "Нужен доступ Accessibility (disabled) (no target)",
    "Проверить доступ и включить -> checkPermissionAction:",
    "Открыть Accessibility Settings -> openAccessibilityAction:",
    "---",
};

Lines menuFor(const Lines& head, const std::string& toggle) {
  Lines out = head;
  for (const std::string& line : {
           toggle + " -> toggleAction:",
           std::string("---"),
           std::string("Не исправлять в текущем приложении -> pauseForAppAction:"),
           std::string("Памятка"),
           std::string("---"),
           std::string("Открыть свой словарь -> openDictionaryAction:"),
           std::string("Исключения… -> exceptionsAction:"),
           std::string("---"),
           std::string("Выйти -> quitAction: [q]"),
       }) {
    out.push_back(line);
  }
  return out;
}

const Lines kMemo = {
    "Автозамена: слово не в той раскладке правится после пробела/Enter/пунктуации (disabled)",
    "⌘Z — отменить замену (5 сек) и выучить исключение (disabled)",
    "Shift Shift (быстро дважды) — конвертировать последнее слово (disabled)",
    "⌘⇧X — конвертировать выделенный текст (disabled)",
    "---",
    "Стёр исправление и перенабрал — Vyx сам выучит исключение (disabled)",
    "«Не исправлять в текущем приложении» — исключить программу навсегда (disabled)",
    "---",
    "Конфиг: ~/Library/Application Support/Vyx/config.yaml (disabled)",
};

TEST(Tray, EnsureAppMakesAnAccessoryAppWithAnEditMenuAndTheWaitingIcon) {
  ShellRig rig;
  rig.ensureApp();
  auto& d = rig.desktop;
  EXPECT_EQ(d.activationPolicy(), static_cast<int>(os::ActivationPolicy::accessory));
  const auto main = d.mainMenu();
  ASSERT_TRUE(main);
  ASSERT_EQ(main->items.size(), 1U);
  EXPECT_EQ(main->items[0].submenuTitle, "Правка");
  Lines edit;
  for (const auto& item : main->items[0].submenu) {
    edit.push_back(item.title + " -> " + item.action + " [" + item.keyEquivalent + "]" +
                   (item.hasTarget ? " (target)" : ""));
  }
  EXPECT_EQ(edit, (Lines{"Вырезать -> cut: [x]", "Копировать -> copy: [c]",
                         "Вставить -> paste: [v]", "Выбрать всё -> selectAll: [a]"}));
  EXPECT_EQ(d.statusItemTitle(), "\u26A0\uFE0E");
  EXPECT_EQ(d.statusItemFont(), (os::Font{.size = 14.0}));
  const auto menu = d.statusMenu();
  ASSERT_TRUE(menu);
  EXPECT_EQ(describe(menu->items), menuFor(kPermissionBlock, "⏸ Приостановить"));
}

TEST(Tray, EachStateShowsItsIconAndMenuAndEveryItemReachesItsHandler) {
  struct Case {
    int enabled;
    int hookActive;
    std::string icon;
    Lines menu;
  };
  const std::vector<Case> cases = {
      {1, 0, "\u26A0\uFE0E", menuFor(kPermissionBlock, "⏸ Приостановить")},
      {0, 0, "\u26A0\uFE0E", menuFor(kPermissionBlock, "▶ Включить")},
      {1, 1, "\u26A1",
       menuFor({"Vyx активен (disabled) (no target)"}, "⏸ Приостановить")},
      {0, 1, "\U0001F4A4", menuFor({"Vyx активен (disabled) (no target)"}, "▶ Включить")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.enabled) + "," + std::to_string(c.hookActive));
    ShellRig rig;
    rig.startApp();
    Lines called;
    const auto record = [&called](const char* name) {
      return [&called, name] { called.emplace_back(name); };
    };
    rig.ensureApp({.goTrayToggle = record("toggle"),
                   .goTrayOpenAccessibility = record("openAccessibility"),
                   .goTrayCheckPermission = record("checkPermission"),
                   .goTrayPauseForApp = record("pauseForApp"),
                   .goTrayQuit = record("quit")});
    auto& d = rig.desktop;
    // From this thread, as the Accessibility watcher reports: nothing
    // changes until the main queue runs.
    ui::updateTrayState(c.enabled, c.hookActive);
    d.drainMainQueue();
    EXPECT_EQ(d.statusItemTitle(), c.icon);
    const auto menu = d.statusMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ(describe(menu->items), c.menu);
    const auto memo = std::find_if(menu->items.begin(), menu->items.end(),
                                   [](const auto& i) { return i.title == "Памятка"; });
    ASSERT_NE(memo, menu->items.end());
    EXPECT_TRUE(memo->enabled);
    EXPECT_EQ(memo->submenuTitle, "Памятка");
    EXPECT_EQ(describe(memo->submenu), kMemo);

    Lines expected;
    for (const auto& item : menu->items) {
      if (item.separator || item.action.empty()) continue;
      EXPECT_TRUE(d.clickStatusMenuItem({item.title})) << item.title;
      d.drainMainQueue();
      const std::string& a = item.action;
      if (a == "exceptionsAction:" || a == "openDictionaryAction:") continue;
      expected.push_back(a.substr(0, a.size() - std::string("Action:").size()));
    }
    EXPECT_EQ(called, expected);
    // The two items of the exceptions part: the window and TextEdit.
    EXPECT_TRUE(rig.windowTitled("Исключения Vyx").value_or(os::sim::WindowSnapshot{}).visible);
    EXPECT_EQ(
        d.launches(),
        (std::vector<std::vector<std::string>>{{"-a", "TextEdit", rig.file("custom_dict.txt")}}));
    // Status lines and memo lines do nothing.
    EXPECT_FALSE(d.clickStatusMenuItem({menu->items[0].title}));
    EXPECT_FALSE(d.clickStatusMenuItem({"Памятка", kMemo[0]}));
  }
}

TEST(Tray, MessagesQueueOneModalAlertAfterAnother) {
  ShellRig rig;
  rig.ensureApp();
  auto& d = rig.desktop;
  showTrayMessage("Vyx is ready", "первое");
  showTrayMessage("Cannot open", "");
  d.drainMainQueue();
  EXPECT_EQ(d.activations(), 1);
  for (const auto& [title, body] : {std::pair{"Vyx is ready", "первое"}, {"Cannot open", ""}}) {
    const auto alert = d.currentAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->messageText, title);
    EXPECT_EQ(alert->informativeText, body);
    EXPECT_EQ(alert->buttons, Lines{"OK"});
    // While it is shown, queued work waits: the menu keeps its state.
    ui::updateTrayState(1, 1);
    EXPECT_EQ(d.statusItemTitle(), "\u26A0\uFE0E");
    EXPECT_TRUE(d.dismissAlert("OK"));
  }
  EXPECT_FALSE(d.currentAlert());
  EXPECT_EQ(d.liveAlerts(), 0);
  EXPECT_EQ(d.statusItemTitle(), "\u26A1");
}

TEST(Tray, RemovedItemStaysGoneThroughLaterStates) {
  ShellRig rig;
  rig.ensureApp();
  auto& d = rig.desktop;
  ui::removeTray();
  ui::removeTray();
  ui::updateTrayState(0, 1);
  d.drainMainQueue();
  EXPECT_FALSE(d.statusItemTitle());
  EXPECT_FALSE(d.statusMenu());
}

}  // namespace
}  // namespace vyx::testing
