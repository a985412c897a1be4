// Menus, automatic enabling, the status item and clicks through submenus.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/application.h"
#include "os/controls.h"
#include "os/main_queue.h"
#include "os/menu.h"
#include "os/sim/desktop.h"
#include "os/status_bar.h"
#include "os/views.h"
#include "os/window.h"

namespace vyx::os::sim {
namespace {

enum class To { none, answering, deaf };

struct EnablingCase {
  const char* name;
  const char* action;
  To target;
  bool explicitlyDisabled;
  bool withSubmenu;
  bool fieldFocused;  // an editable field is focused in the key window
  bool enabled;
};

TEST(UiMenu, ItemsEnableAutomatically) {
  const EnablingCase cases[] = {
      {"no action, no submenu", "", To::answering, false, false, false, false},
      {"target answers", "go:", To::answering, false, false, false, true},
      {"target does not answer", "other:", To::deaf, false, false, false, false},
      {"answering target, explicitly disabled", "go:", To::answering, true, false, false, false},
      {"submenu", "", To::none, false, true, false, true},
      {"submenu, explicitly disabled", "", To::none, true, true, false, false},
      {"copy: without a focused field", "copy:", To::none, false, false, false, false},
      {"copy: with a focused field", "copy:", To::none, false, false, true, true},
      {"selectAll: with a focused field", "selectAll:", To::none, false, false, true, true},
      {"an unknown action to the first responder", "go:", To::none, false, false, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Desktop desktop;
    Target answering;
    answering.actions["go:"] = [] {};
    Target deaf;
    desktop.onMain([&] {
      Menu* menu = menuCreate("");
      MenuItem* item = menuAddItem(menu, "Item", c.action, "");
      if (c.target == To::answering) menuItemSetTarget(item, &answering);
      if (c.target == To::deaf) menuItemSetTarget(item, &deaf);
      if (c.withSubmenu) menuItemSetSubmenu(item, menuCreate("Sub"));
      if (c.explicitlyDisabled) menuItemSetEnabled(item, false);
      applicationSetMainMenu(menu);
      Window* w =
          windowCreate({0, 0, 200, 100}, kWindowStyleMaskTitled, kBackingStoreBuffered, false);
      viewAddSubview(windowContentView(w), textFieldCreate({10, 10, 100, 24}));
      if (c.fieldFocused) windowMakeKeyAndOrderFront(w);
    });
    const auto menu = desktop.mainMenu();
    ASSERT_TRUE(menu.has_value());
    ASSERT_EQ(menu->items.size(), 1U);
    EXPECT_EQ(menu->items[0].enabled, c.enabled);
  }
}

TEST(UiMenu, EditMenuFollowsTheKeyWindowsFocusedField) {
  Desktop desktop;
  Window* window = nullptr;
  desktop.onMain([&] {
    applicationSetActivationPolicy(ActivationPolicy::accessory);
    Menu* bar = menuCreate("");
    MenuItem* top = menuAddItem(bar, "", "", "");
    Menu* edit = menuCreate("Правка");
    menuAddItem(edit, "Вырезать", "cut:", "x");
    menuAddItem(edit, "Выбрать всё", "selectAll:", "a");
    menuItemSetSubmenu(top, edit);
    applicationSetMainMenu(bar);
    window = windowCreate({0, 0, 300, 100}, 3, kBackingStoreBuffered, false);
    View* field = textFieldCreate({10, 10, 200, 24});
    textFieldSetPlaceholderString(field, "слово");
    viewAddSubview(windowContentView(window), field);
  });
  EXPECT_EQ(desktop.activationPolicy(), 1);
  const auto editEnabled = [&] {
    const auto bar = desktop.mainMenu();
    EXPECT_EQ(bar->items.at(0).submenuTitle, "Правка");
    std::vector<bool> enabled;
    for (const auto& item : bar->items.at(0).submenu) enabled.emplace_back(item.enabled);
    return enabled;
  };
  EXPECT_EQ(editEnabled(), (std::vector<bool>{false, false}));
  desktop.onMain([&] { windowMakeKeyAndOrderFront(window); });
  EXPECT_EQ(editEnabled(), (std::vector<bool>{true, true}));
  EXPECT_TRUE(desktop.window(0)->content.children.at(0).focused);
  EXPECT_TRUE(desktop.closeWindow(0));
  EXPECT_EQ(editEnabled(), (std::vector<bool>{false, false}));
}

class StatusMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* action : {"toggleAction:", "deepAction:", "sleepAction:", "quitAction:"}) {
      target_.actions[action] = [this, action] {
        allOnMain_ = allOnMain_ && isMainThread();
        ran_.emplace_back(action);
      };
    }
    desktop_.onMain([&] {
      item_ = statusBarCreateItem(kVariableStatusItemLength);
      statusItemSetFont(item_, Font{false, 14, FontWeight::regular});
      statusItemSetTitle(item_, "⚡");
      menu_ = menuCreate("");
      menuItemSetEnabled(menuAddItem(menu_, "Vyx активен", "", ""), false);
      add(menu_, "⏸ Приостановить", "toggleAction:");
      menuAddSeparator(menu_);
      MenuItem* memo = add(menu_, "Памятка", "");
      Menu* memoMenu = menuCreate("Памятка");
      add(memoMenu, "Строка", "");
      MenuItem* deeper = add(memoMenu, "Глубже", "");
      Menu* deepest = menuCreate("Глубже");
      add(deepest, "Действие", "deepAction:");
      menuItemSetSubmenu(deeper, deepest);
      menuItemSetSubmenu(memo, memoMenu);
      menuItemSetEnabled(add(menu_, "Спит", "sleepAction:"), false);
      menuItemSetTarget(menuAddItem(menu_, "Выйти", "quitAction:", "q"), &target_);
      statusItemSetMenu(item_, menu_);
    });
  }

  MenuItem* add(Menu* menu, const char* title, const char* action) {
    MenuItem* item = menuAddItem(menu, title, action, "");
    menuItemSetTarget(item, &target_);
    return item;
  }

  Desktop desktop_;
  Target target_;
  StatusItem* item_ = nullptr;
  Menu* menu_ = nullptr;
  std::vector<std::string> ran_;  // written on the main thread, read after the click returns
  bool allOnMain_ = true;
};

TEST_F(StatusMenu, ShowsTitleFontAndTheMenuAsBuilt) {
  EXPECT_EQ(desktop_.statusItemTitle(), "⚡");
  EXPECT_EQ(desktop_.statusItemFont(), (Font{false, 14, FontWeight::regular}));
  const auto menu = desktop_.statusMenu();
  ASSERT_TRUE(menu.has_value());
  struct Row {
    std::string title;
    bool separator;
    bool enabled;
    std::string key;
    size_t submenuItems;
  };
  std::vector<Row> rows;
  for (const auto& i : menu->items) {
    rows.push_back({i.title, i.separator, i.enabled, i.keyEquivalent, i.submenu.size()});
  }
  const std::vector<Row> expected = {
      {"Vyx активен", false, false, "", 0},
      {"⏸ Приостановить", false, true, "", 0},
      {"", true, false, "", 0},
      {"Памятка", false, true, "", 2},
      {"Спит", false, false, "", 0},
      {"Выйти", false, true, "q", 0},
  };
  ASSERT_EQ(rows.size(), expected.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(expected[i].title);
    EXPECT_EQ(rows[i].title, expected[i].title);
    EXPECT_EQ(rows[i].separator, expected[i].separator);
    EXPECT_EQ(rows[i].enabled, expected[i].enabled);
    EXPECT_EQ(rows[i].key, expected[i].key);
    EXPECT_EQ(rows[i].submenuItems, expected[i].submenuItems);
  }
  const auto& memo = menu->items[3];
  EXPECT_EQ(memo.submenuTitle, "Памятка");
  EXPECT_FALSE(memo.submenu[0].enabled);  // a target but no action: a text line
  EXPECT_EQ(memo.submenu[1].submenu.at(0).action, "deepAction:");
  EXPECT_TRUE(memo.submenu[1].submenu.at(0).hasTarget);
}

TEST_F(StatusMenu, ClicksFindItemsThroughSubmenusAndWaitForTheirActions) {
  struct Click {
    std::vector<std::string> path;
    bool performed;
    const char* action;  // the action that ran, if any
  };
  const Click clicks[] = {
      {{"⏸ Приостановить"}, true, "toggleAction:"},
      {{"Памятка", "Глубже", "Действие"}, true, "deepAction:"},
      {{"Выйти"}, true, "quitAction:"},
      {{"Vyx активен"}, false, nullptr},
      {{"Спит"}, false, nullptr},               // explicitly disabled
      {{"Памятка"}, false, nullptr},            // opens a submenu only
      {{"Памятка", "Строка"}, false, nullptr},  // no action
      {{"Памятка", "Нет такого"}, false, nullptr},
      {{"⏸ Приостановить", "Дальше"}, false, nullptr},  // no submenu to go into
      {{}, false, nullptr},
  };
  for (const auto& c : clicks) {
    SCOPED_TRACE(c.path.empty() ? "(empty path)" : c.path.back());
    ran_.clear();
    EXPECT_EQ(desktop_.clickStatusMenuItem(c.path), c.performed);
    EXPECT_EQ(ran_, c.action == nullptr ? std::vector<std::string>{}
                                        : std::vector<std::string>{c.action});
  }
  EXPECT_TRUE(allOnMain_);
}

TEST_F(StatusMenu, RebuildReplacesTheItemsAndRemovalHidesTheItem) {
  desktop_.onMain([&] {
    menuRemoveAllItems(menu_);
    add(menu_, "▶ Включить", "toggleAction:");
    statusItemSetTitle(item_, "💤");
  });
  const auto menu = desktop_.statusMenu();
  ASSERT_EQ(menu->items.size(), 1U);
  EXPECT_EQ(menu->items[0].title, "▶ Включить");
  EXPECT_EQ(desktop_.statusItemTitle(), "💤");
  EXPECT_FALSE(desktop_.clickStatusMenuItem({"Выйти"}));

  desktop_.onMain([&] { statusBarRemoveItem(item_); });
  EXPECT_EQ(desktop_.statusItemTitle(), std::nullopt);
  EXPECT_FALSE(desktop_.statusMenu().has_value());
  EXPECT_FALSE(desktop_.clickStatusMenuItem({"▶ Включить"}));
  EXPECT_TRUE(ran_.empty());
}

}  // namespace
}  // namespace vyx::os::sim
