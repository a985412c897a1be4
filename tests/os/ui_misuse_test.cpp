// A misused UI object stops the program with a message naming the call,
// instead of reaching freed or foreign memory.
#include <gtest/gtest.h>

#include <functional>

#include "os/alert.h"
#include "os/controls.h"
#include "os/menu.h"
#include "os/sim/desktop.h"
#include "os/sim/ui_objects.h"
#include "os/views.h"
#include "os/window.h"

namespace vyx::os::sim {
namespace {

struct Misuse {
  const char* name;
  std::function<void()> onMain;
  const char* message;
};

TEST(UiMisuseDeathTest, IsCaughtWithAClearMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const Misuse cases[] = {
      {"alert released twice",
       [] {
         Alert* a = alertCreate();
         release(a);
         release(a);
       },
       "release\\(Alert\\): alert used after it was released"},
      {"window used after it was released",
       [] {
         Window* w = windowCreate({0, 0, 10, 10}, 3, kBackingStoreBuffered, false);
         windowClose(w);
         windowMakeKeyAndOrderFront(w);
       },
       "windowMakeKeyAndOrderFront: window used after it was closed and released"},
      {"button call on a label", [] { buttonSetTitle(textFieldCreateLabel("x"), "y"); },
       "buttonSetTitle: view of the wrong kind"},
      {"view added into itself",
       [] {
         View* outer = viewCreate({});
         View* inner = viewCreate({});
         viewAddSubview(outer, inner);
         viewAddSubview(inner, outer);
       },
       "viewAddSubview: a view cannot hold itself or its ancestor"},
      {"one submenu for two items",
       [] {
         Menu* menu = menuCreate("");
         Menu* sub = menuCreate("sub");
         menuItemSetSubmenu(menuAddItem(menu, "a", "", ""), sub);
         menuItemSetSubmenu(menuAddItem(menu, "b", "", ""), sub);
       },
       "menuItemSetSubmenu: the menu is already another item's submenu"},
      {"a view the desktop never made",
       [] {
         View stranger;
         viewSetAlphaValue(&stranger, 0.5);
       },
       "viewSetAlphaValue: object this desktop never made"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_DEATH(
        {
          Desktop desktop;
          desktop.onMain(c.onMain);
        },
        c.message);
  }
  EXPECT_DEATH(
      {
        Desktop desktop;
        (void)menuCreate("off the main thread");
      },
      "menuCreate called off the main thread");
}

}  // namespace
}  // namespace vyx::os::sim
