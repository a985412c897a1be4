// What the status menu and the user's own files change while vyx runs:
// pausing, leaving an application alone for good, and the word list.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "shared_desk.h"

namespace vyx::testing {
namespace {

constexpr const char* kNotes = "com.apple.Notes";
constexpr const char* kPause = "⏸ Приостановить";
constexpr const char* kResume = "▶ Включить";

class Menu : public SharedDesk {};

std::string fileText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool menuHas(os::sim::DesktopClient& desktop, const std::string& title) {
  const auto menu = desktop.statusMenu();
  if (!menu) return false;
  for (const auto& item : menu->items) {
    if (item.title == title) return true;
  }
  return false;
}

TEST_F(Menu, PausedItCorrectsNothingUntilResumed) {
  desk().freshField(kUS);
  ASSERT_TRUE(desktop().clickStatusMenuItem({kPause}));
  desk().settle();
  EXPECT_EQ(desktop().statusItemTitle(), "💤");
  EXPECT_TRUE(menuHas(desktop(), kResume));
  EXPECT_EQ(desk().type("привет "), "ghbdtn ");

  ASSERT_TRUE(desktop().clickStatusMenuItem({kResume}));
  desk().settle();
  EXPECT_EQ(desktop().statusItemTitle(), kActive);
  EXPECT_TRUE(menuHas(desktop(), kPause));
  EXPECT_EQ(desk().type("мир "), "ghbdtn мир ");
  EXPECT_TRUE(desk().vyx().logged("Vyx paused") && desk().vyx().logged("Vyx resumed"));
}

TEST_F(Menu, AnApplicationLeftAloneStaysAloneAndIsWrittenToTheSettings) {
  desk().freshField(kUS, kNotes);
  ASSERT_TRUE(desktop().clickStatusMenuItem({"Не исправлять в текущем приложении"}));
  const auto alert = desk().alert();
  ASSERT_TRUE(alert.has_value());
  EXPECT_EQ(alert->messageText, "App paused");
  EXPECT_EQ(alert->informativeText,
            "Vyx больше не будет исправлять текст в com.apple.Notes. Настройка сохранена в "
            "config.yaml.");
  ASSERT_TRUE(desktop().dismissAlert());
  // The alert activated vyx; the person clicks back into Notes.
  desk().activate(kNotes);
  EXPECT_EQ(desk().type("привет ", kPerson, kNotes), "ghbdtn ");
  EXPECT_NE(fileText(desk().vyx().configFile("config.yaml")).find("    - com.apple.Notes\n"),
            std::string::npos);
  // Everywhere else it corrects as before.
  desk().freshField(kUS);
  EXPECT_EQ(desk().type("привет "), "привет ");
}

// The poller looks at the file every second.
TEST_F(Menu, AWordAddedToTheUserWordListIsCorrectedWithinAboutASecond) {
  desk().freshField(kUS);
  EXPECT_EQ(desk().type("Вжух "), "D;e[ ");  // in neither word list
  std::ofstream(desk().vyx().configFile("custom_dict.txt"), std::ios::app) << "вжух\n";
  ASSERT_TRUE(desk().vyx().waitForLog("custom dict: 1 words loaded", std::chrono::seconds(3)));
  desk().freshField(kUS);
  EXPECT_EQ(desk().type("Вжух "), "Вжух ");
}


// An alert the person leaves open while they go on typing elsewhere holds
// up neither the corrections nor the switch of the source that goes with
// them, although only the main thread, which the alert holds, may switch it.
TEST_F(Menu, AnAlertLeftOpenHoldsNothingUpInTheApplicationBehindIt) {
  desk().freshField(kUS);
  desktop().run(os::sim::op::failLaunches, std::optional<std::string>("no such editor"));
  ASSERT_TRUE(desktop().clickStatusMenuItem({"Открыть свой словарь"}));
  const auto alert = desk().alert();
  ASSERT_TRUE(alert.has_value());
  EXPECT_EQ(alert->messageText, "Не удалось открыть словарь");
  desk().activate(kTextEdit);
  EXPECT_EQ(desk().type("привет мир "), "привет мир ");
  EXPECT_EQ(desktop().currentInputSource(), kRussian);
  EXPECT_TRUE(desk().alert().has_value());
  ASSERT_TRUE(desktop().dismissAlert());
}

}  // namespace
}  // namespace vyx::testing
