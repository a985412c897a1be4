// The menu's handlers as the person meets them: what each item changes and
// which alert it shows.
#include "shell/tray.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "shell/messages.h"
#include "shell_rig.h"
#include "store/config.h"
#include "support/log_capture.h"

namespace vyx::testing {
namespace {

std::optional<std::string> readFile(const std::string& path) {
  std::ifstream in(path);
  if (!in) return std::nullopt;
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void expectAlert(Desktop& d, const std::string& title, const std::string& text) {
  d.drainMainQueue();
  const auto alert = d.currentAlert();
  ASSERT_TRUE(alert);
  EXPECT_EQ(alert->messageText, title);
  EXPECT_EQ(alert->informativeText, text);
  EXPECT_EQ(alert->buttons, std::vector<std::string>{"OK"});
  EXPECT_TRUE(d.dismissAlert("OK"));
}

TEST(TrayHandlers, NotCorrectingTheFrontmostAppExplainsTheOutcome) {
  using Front = std::function<std::string()>;
  struct Case {
    std::string name;
    bool app;
    Front front;
    std::optional<std::string> fileBefore;  // config.yaml; nullopt: a directory in its way
    std::string title;
    std::string text;  // empty: the settings file's write error
    bool excluded;     // the identifier is excluded afterwards
    bool saved;        // config.yaml rewritten
  };
  const Front textEdit = [] { return std::string("com.apple.TextEdit"); };
  const Front idea = [] { return std::string("com.jetbrains.IntelliJ-IDEA"); };
  const std::vector<Case> cases = {
      {"no App", false, nullptr, "# mine\n", "Cannot pause app", "app is not initialized yet",
       false, false},
      {"no lookup", true, nullptr, "# mine\n", "Cannot pause app",
       "frontmost app lookup is not available", false, false},
      {"unknown", true, [] { return std::string(); }, "# mine\n", "Cannot pause app",
       "frontmost app is unknown", false, false},
      {"new", true, textEdit, "# mine\n", "App paused",
       "Vyx больше не будет исправлять текст в com.apple.TextEdit. Настройка сохранена в "
       "config.yaml.",
       true, true},
      // "idea" already covers it; the file is written all the same.
      {"covered", true, idea, "# mine\n", "Already paused",
       "com.jetbrains.IntelliJ-IDEA уже подходит под excluded_apps в config.yaml.", true, true},
      {"cannot save", true, textEdit, std::nullopt, "Cannot pause app", "", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShellRig rig;
    if (c.app) {
      AppOps ops;
      ops.frontmostApp = c.front;
      rig.startApp(true, std::move(ops));
    }
    rig.ensureApp(trayHandlers());
    const std::string file = rig.file("config.yaml");
    if (c.fileBefore) {
      std::ofstream(file) << *c.fileBefore;
    } else {
      ASSERT_EQ(::mkdir(file.c_str(), 0700), 0);
    }
    ASSERT_TRUE(rig.desktop.clickStatusMenuItem({"Не исправлять в текущем приложении"}));

    std::string text = c.text;
    if (text.empty()) {
      const auto failed = SaveConfig(rig.app->app().config());
      ASSERT_FALSE(failed.ok());
      text = failed.error().message();
    }
    expectAlert(rig.desktop, c.title, text);
    if (c.app && c.front) {
      const std::string front = c.front();
      EXPECT_EQ(rig.app->app().config().IsAppExcluded(front), c.excluded);
    }
    if (c.fileBefore) {
      const auto after = readFile(file);
      ASSERT_TRUE(after);
      EXPECT_EQ(*after != *c.fileBefore, c.saved) << *after;
      if (c.saved) {
        EXPECT_NE(after->find("excluded_apps"), std::string::npos) << *after;
      }
    }
  }
}

// The person edits config.yaml while Vyx runs. An application they took out
// of it by hand goes back in when the menu is asked again, though it is still
// excluded here; a file they left unloadable is kept aside, and the alert
// says where.
TEST(TrayHandlers, ExcludingAnAppJudgesConfigYamlAsItIsNow) {
  ShellRig rig;
  std::string front = "com.apple.TextEdit";
  AppOps ops;
  ops.frontmostApp = [&front] { return front; };
  rig.startApp(true, std::move(ops));
  rig.ensureApp(trayHandlers());
  const std::string file = rig.file("config.yaml");
  const auto exclude = [&] {
    return rig.desktop.clickStatusMenuItem({"Не исправлять в текущем приложении"});
  };
  const auto paused = [](const std::string& app) {
    return "Vyx больше не будет исправлять текст в " + app + ". Настройка сохранена в config.yaml.";
  };
  const auto excludedInFile = [&] {
    Config c;
    EXPECT_TRUE(decodeConfig(readFile(file).value_or(""), c).ok());
    return c.ExcludedApps;
  };
  ASSERT_TRUE(exclude());
  expectAlert(rig.desktop, "App paused", paused("com.apple.TextEdit"));

  std::ofstream(file) << "excluded_apps: [com.other]\n";
  ASSERT_TRUE(exclude());
  expectAlert(rig.desktop, "App paused", paused("com.apple.TextEdit"));
  EXPECT_EQ(excludedInFile(), (std::vector<std::string>{"com.other", "com.apple.TextEdit"}));

  const std::string broken = "excluded_apps: [com.other\n";
  std::ofstream(file) << broken;
  front = "com.apple.Notes";
  ASSERT_TRUE(exclude());
  expectAlert(rig.desktop, "App paused",
              paused("com.apple.Notes") + " Прежний config.yaml не загружался; он сохранён как " +
                  file + ".corrupt.bak.");
  EXPECT_EQ(readFile(file + ".corrupt.bak"), broken);
  EXPECT_EQ(excludedInFile(),
            (std::vector<std::string>{"com.other", "com.apple.TextEdit", "com.apple.Notes"}));
}

TEST(TrayHandlers, AfterItsOwnAlertVyxDoesNotExcludeItself) {
  ShellRig rig;
  AppOps ops;
  ops.frontmostApp = [&d = rig.desktop] { return d.frontmost().value_or(""); };
  rig.startApp(true, std::move(ops));
  rig.ensureApp(trayHandlers());
  ASSERT_EQ(rig.desktop.frontmost(), "com.apple.TextEdit");
  // Any alert brings the program to the front.
  ASSERT_TRUE(rig.desktop.clickStatusMenuItem({"Проверить доступ и включить"}));
  rig.desktop.drainMainQueue();
  ASSERT_TRUE(rig.desktop.dismissAlert("OK"));
  ASSERT_EQ(rig.desktop.frontmost(), "com.telvarinox.vyx");

  ASSERT_TRUE(rig.desktop.clickStatusMenuItem({"Не исправлять в текущем приложении"}));
  expectAlert(rig.desktop, "Cannot pause app",
              "frontmost app is Vyx itself, which is never corrected: switch to the application "
              "first");
  EXPECT_FALSE(rig.app->app().config().IsAppExcluded("com.telvarinox.vyx"));
  EXPECT_FALSE(readFile(rig.file("config.yaml")));  // nothing written
}

TEST(TrayHandlers, PauseAndResumeFlipTheSwitchWithOneLineEach) {
  const LogCapture log;
  ShellRig rig;
  rig.ensureApp(trayHandlers());
  auto& d = rig.desktop;
  ASSERT_TRUE(isTrayEnabled());
  ASSERT_TRUE(d.clickStatusMenuItem({"⏸ Приостановить"}));
  d.drainMainQueue();
  EXPECT_FALSE(isTrayEnabled());
  // The hook is not running in this process, so the icon keeps waiting.
  EXPECT_EQ(d.statusItemTitle(), "\u26A0\uFE0E");
  ASSERT_TRUE(d.clickStatusMenuItem({"▶ Включить"}));
  d.drainMainQueue();
  EXPECT_TRUE(isTrayEnabled());
  EXPECT_TRUE(d.clickStatusMenuItem({"⏸ Приостановить"}));  // back in the menu
  ASSERT_TRUE(d.clickStatusMenuItem({"▶ Включить"}));
  EXPECT_EQ(log.messages(),
            (std::vector<std::string>{"Vyx paused", "Vyx resumed", "Vyx paused", "Vyx resumed"}));
  EXPECT_FALSE(d.currentAlert());
}

TEST(TrayHandlers, PermissionItemsAskForAccessAndExplain) {
  ShellRig rig;
  rig.ensureApp(trayHandlers());
  auto& d = rig.desktop;
  const std::string pane(kAccessibilityPaneURL);

  ASSERT_TRUE(d.clickStatusMenuItem({"Открыть Accessibility Settings"}));
  EXPECT_EQ(d.accessibilityPrompts(), 1);
  EXPECT_EQ(d.launches(), std::vector<std::vector<std::string>>{{pane}});
  d.failLaunches("no such application");
  ASSERT_TRUE(d.clickStatusMenuItem({"Открыть Accessibility Settings"}));
  expectAlert(d, "Cannot open", "no such application");

  ASSERT_TRUE(d.clickStatusMenuItem({"Проверить доступ и включить"}));
  EXPECT_EQ(d.accessibilityPrompts(), 3);
  expectAlert(d, "Vyx needs Accessibility",
              "Откройте System Settings → Privacy & Security → Accessibility, включите Vyx, "
              "затем нажмите «Проверить доступ» ещё раз.");
  EXPECT_EQ(d.statusItemTitle(), "\u26A0\uFE0E");
}

}  // namespace
}  // namespace vyx::testing
