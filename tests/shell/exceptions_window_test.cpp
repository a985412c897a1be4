// The exceptions window against a real store: what the person sees in the
// list after opening, adding and removing, and the user word list item.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "os/sim/desktop.h"
#include "shell/exceptions_window.h"
#include "shell_rig.h"

namespace vyx::testing {
namespace {

using os::sim::ViewKind;
using os::sim::ViewSnapshot;
using os::sim::WindowSnapshot;
using Rows = std::vector<std::vector<std::string>>;

constexpr const char* kTitle = "Исключения Vyx";
constexpr const char* kAppPlaceholder = "Программа, например com.apple.TextEdit";
constexpr const char* kWordPlaceholder = "слово";
constexpr const char* kCheckFields = "Проверьте, что заполнены программа и слово";

enum class Running { appWithStore, appWithoutStore, noApp };

// A rig with the App running, the store holding two exceptions, and the
// window opened from the menu.
struct OpenWindow {
  explicit OpenWindow(Running running = Running::appWithStore) {
    if (running != Running::noApp) rig.startApp(running == Running::appWithStore);
    if (ExceptionStore* store = rig.app ? rig.app->store() : nullptr) {
      EXPECT_TRUE(store->Add("com.apple.TextEdit", "ghbdtn").ok());
      EXPECT_TRUE(store->Add("*", "hello").ok());
    }
    rig.ensureApp();
    EXPECT_TRUE(rig.desktop.clickStatusMenuItem({"Исключения…"}));
    const auto w = rig.windowTitled(kTitle);
    EXPECT_TRUE(w);
    id = w ? w->id : 0;
  }
  WindowSnapshot window() { return rig.desktop.window(id).value_or(WindowSnapshot{}); }
  const ViewSnapshot& field(const WindowSnapshot& w, size_t index) {
    return w.content.children.at(index);
  }
  Rows rows() { return window().content.children.at(0).children.at(0).rows; }
  void type(const std::string& app, const std::string& word) {
    EXPECT_TRUE(rig.desktop.setFieldText(id, kAppPlaceholder, app));
    EXPECT_TRUE(rig.desktop.setFieldText(id, kWordPlaceholder, word));
  }
  Rows storeRows() {
    Rows out;
    if (ExceptionStore* store = rig.app->store()) {
      for (const auto& e : store->List()) out.push_back({e.App, e.Word});
    }
    return out;
  }

  ShellRig rig;
  size_t id = 0;
};

TEST(ExceptionsWindow, OpensAsBuiltWithTheStoresListAndComesBackFresh) {
  OpenWindow t;
  const WindowSnapshot w = t.window();
  EXPECT_EQ(w.frame, (os::Rect{440, 260, 560, 380}));  // centred on 1440 × 900
  EXPECT_EQ(w.styleMask, 11U);
  EXPECT_FALSE(w.releasedWhenClosed);
  EXPECT_TRUE(w.visible && w.key);
  EXPECT_EQ(t.rig.desktop.activations(), 1);
  struct Expected {
    ViewKind kind;
    os::Rect frame;
    std::string text;  // placeholder of a field, title of a button
    std::string action;
  };
  const std::vector<Expected> views = {
      {ViewKind::scrollView, {20, 80, 520, 280}, "", ""},
      {ViewKind::textField, {20, 44, 260, 24}, kAppPlaceholder, ""},
      {ViewKind::textField, {290, 44, 150, 24}, kWordPlaceholder, ""},
      {ViewKind::button, {450, 42, 90, 28}, "Добавить", "exceptionAddAction:"},
      {ViewKind::button, {20, 8, 180, 28}, "Удалить выбранное", "exceptionRemoveAction:"},
  };
  ASSERT_EQ(w.content.children.size(), views.size());
  for (size_t i = 0; i < views.size(); ++i) {
    const ViewSnapshot& v = w.content.children[i];
    EXPECT_EQ(v.kind, views[i].kind) << i;
    EXPECT_EQ(v.frame, views[i].frame) << i;
    EXPECT_EQ(v.kind == ViewKind::button ? v.text : v.placeholder, views[i].text) << i;
    EXPECT_EQ(v.action, views[i].action) << i;
    EXPECT_EQ(v.hasTarget, v.kind == ViewKind::button) << i;
    EXPECT_EQ(v.editable, v.kind == ViewKind::textField) << i;
  }
  const ViewSnapshot& scroll = w.content.children[0];
  EXPECT_TRUE(scroll.hasVerticalScroller);
  ASSERT_EQ(scroll.children.size(), 1U);
  const ViewSnapshot& table = scroll.children[0];
  EXPECT_EQ(table.frame, (os::Rect{0, 0, 520, 280}));
  EXPECT_TRUE(table.hasDataSource);
  EXPECT_EQ(table.columns, (Rows{{"app", "Программа", "280"}, {"word", "Слово", "220"}}));
  EXPECT_EQ(table.rows, (Rows{{"com.apple.TextEdit", "ghbdtn"}, {"*", "hello"}}));

  // Closed, an exception learned meanwhile, opened again: the same window
  // as it was left, with a fresh list.
  EXPECT_TRUE(t.rig.desktop.setFieldText(t.id, kAppPlaceholder, "com.apple.Notes"));
  EXPECT_TRUE(t.rig.desktop.closeWindow(t.id));
  EXPECT_TRUE(t.rig.app->store()->Add("com.apple.Notes", "руддщ").ok());
  EXPECT_TRUE(t.rig.desktop.clickStatusMenuItem({"Исключения…"}));
  const WindowSnapshot again = t.window();
  EXPECT_EQ(t.rig.desktop.windows().size(), 1U);
  EXPECT_TRUE(again.visible && again.key);
  EXPECT_EQ(t.field(again, 1).text, "com.apple.Notes");
  EXPECT_EQ(t.rows(),
            (Rows{{"com.apple.TextEdit", "ghbdtn"}, {"*", "hello"}, {"com.apple.Notes", "руддщ"}}));
}

TEST(ExceptionsWindow, AddingTrimsTheFieldsAndRefusesWhatCannotBeStored) {
  const Rows before = {{"com.apple.TextEdit", "ghbdtn"}, {"*", "hello"}};
  struct Case {
    const char* name;
    std::string app;
    std::string word;
    std::string alert;  // empty: none
    Rows added;         // new rows in the store, after the two there already
    Rows listed;        // new rows in the list
  };
  const std::vector<Case> cases = {
      {"plain",
       "com.apple.Notes",
       "руддщ",
       "",
       {{"com.apple.Notes", "руддщ"}},
       {{"com.apple.Notes", "руддщ"}}},
      {"duplicate by case", "COM.APPLE.TEXTEDIT", "GHBDTN", "", {}, {}},
      {"blanks at both ends",
       " \t com.apple.Notes \r\n",
       "\n  two words \t",
       "",
       {{"com.apple.Notes", "two words"}},
       {{"com.apple.Notes", "two words"}}},
      {"empty word", "com.apple.Notes", " \t\n ", kCheckFields, {}, {}},
      {"empty application", "  ", "ghbdtn", kCheckFields, {}, {}},
      // Listed whole, shown with the control character escaped.
      {"TAB inside", "com.a\tb", "x", "", {{"com.a\tb", "x"}}, {{"com.a\\tb", "x"}}},
      {"LF inside",
       "com.apple.Notes",
       "a\nb",
       "",
       {{"com.apple.Notes", "a\nb"}},
       {{"com.apple.Notes", "a\\nb"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenWindow t;
    t.type(c.app, c.word);
    EXPECT_TRUE(t.rig.desktop.clickButton(t.id, "Добавить"));
    t.rig.desktop.drainMainQueue();
    const auto alert = t.rig.desktop.currentAlert();
    Rows stored = before;
    stored.insert(stored.end(), c.added.begin(), c.added.end());
    EXPECT_EQ(t.storeRows(), stored);
    Rows listed = before;
    listed.insert(listed.end(), c.listed.begin(), c.listed.end());
    EXPECT_EQ(t.rows(), listed);
    const WindowSnapshot w = t.window();
    EXPECT_EQ(t.field(w, 1).text, c.app);  // the application always stays
    if (c.alert.empty()) {
      EXPECT_FALSE(alert);
      EXPECT_EQ(t.field(w, 2).text, "");
    } else {
      ASSERT_TRUE(alert);
      EXPECT_EQ(alert->messageText, "Исключение не добавлено");
      EXPECT_EQ(alert->informativeText, c.alert);
      EXPECT_EQ(t.field(w, 2).text, c.word);
    }
  }
}

TEST(ExceptionsWindow, RemovingTakesExactlyTheSelectedRow) {
  OpenWindow t;
  auto& d = t.rig.desktop;
  const Rows both = {{"com.apple.TextEdit", "ghbdtn"}, {"*", "hello"}};
  EXPECT_TRUE(d.clickButton(t.id, "Удалить выбранное"));  // nothing selected
  EXPECT_EQ(t.storeRows(), both);
  EXPECT_TRUE(d.selectTableRow(t.id, 1));
  EXPECT_TRUE(d.clickButton(t.id, "Удалить выбранное"));
  EXPECT_EQ(t.storeRows(), (Rows{{"com.apple.TextEdit", "ghbdtn"}}));
  EXPECT_EQ(t.rows(), t.storeRows());
  // The TextEdit entry, not a "*" one of the same word.
  EXPECT_TRUE(t.rig.app->store()->Add("*", "ghbdtn").ok());
  EXPECT_TRUE(d.clickStatusMenuItem({"Исключения…"}));
  EXPECT_TRUE(d.selectTableRow(t.id, 0));
  EXPECT_TRUE(d.clickButton(t.id, "Удалить выбранное"));
  EXPECT_EQ(t.rows(), (Rows{{"*", "ghbdtn"}}));
  // A word with a line break (a hand-edited file) is a row of its own, and
  // removing it leaves the plain word that follows it.
  ExceptionStore& store = *t.rig.app->store();
  store.Clear();
  EXPECT_TRUE(store.Add("com.apple.TextEdit", "ghbdtn\nvbh").ok());
  EXPECT_TRUE(store.Add("com.apple.TextEdit", "a\tb").ok());
  EXPECT_TRUE(store.Add("com.apple.TextEdit", "ghbdtn").ok());
  EXPECT_TRUE(d.clickStatusMenuItem({"Исключения…"}));
  EXPECT_EQ(t.rows(), (Rows{{"com.apple.TextEdit", "ghbdtn\\nvbh"},
                            {"com.apple.TextEdit", "a\\tb"},
                            {"com.apple.TextEdit", "ghbdtn"}}));
  EXPECT_TRUE(d.selectTableRow(t.id, 0));
  EXPECT_TRUE(d.clickButton(t.id, "Удалить выбранное"));
  EXPECT_EQ(t.storeRows(),
            (Rows{{"com.apple.TextEdit", "a\tb"}, {"com.apple.TextEdit", "ghbdtn"}}));
  EXPECT_TRUE(d.selectTableRow(t.id, 0));
  EXPECT_TRUE(d.clickButton(t.id, "Удалить выбранное"));
  EXPECT_EQ(t.storeRows(), (Rows{{"com.apple.TextEdit", "ghbdtn"}}));
  EXPECT_EQ(t.rows(), t.storeRows());
  EXPECT_FALSE(d.currentAlert());
}

// A hand-edited file may hold entries that differ only in case: each row
// removes its own entry, and the other stays, still in force, until its own
// row is removed.
TEST(ExceptionsWindow, RowsThatDifferOnlyInCaseAreRemovedEachByItsOwn) {
  ShellRig rig;
  std::ofstream(rig.file("exceptions.json"))
      << R"({"entries":[{"app":"com.apple.TextEdit","word":"Ghbdtn"},)"
         R"({"app":"com.apple.TextEdit","word":"ghbdtn"},{"app":"*","word":"hello"}]})";
  rig.startApp();
  rig.ensureApp();
  auto& d = rig.desktop;
  ASSERT_TRUE(d.clickStatusMenuItem({"Исключения…"}));
  const size_t id = rig.windowTitled(kTitle)->id;
  const auto rows = [&] { return d.window(id)->content.children.at(0).children.at(0).rows; };
  struct Step {
    int64_t row;
    Rows left;
    bool stillAnException;
  };
  for (const Step& step : {
           Step{1, {{"com.apple.TextEdit", "Ghbdtn"}, {"*", "hello"}}, true},
           Step{0, {{"*", "hello"}}, false},
           Step{0, {}, false},
       }) {
    EXPECT_TRUE(d.selectTableRow(id, step.row));
    EXPECT_TRUE(d.clickButton(id, "Удалить выбранное"));
    EXPECT_EQ(rows(), step.left);
    EXPECT_EQ(rig.app->store()->IsException("com.apple.TextEdit", "ghbdtn"), step.stillAnException);
  }
}

TEST(ExceptionsWindow, WithoutAStoreTheListIsEmptyAndAddingSaysWhy) {
  for (const Running running : {Running::appWithoutStore, Running::noApp}) {
    SCOPED_TRACE(running == Running::noApp ? "no App" : "no store");
    OpenWindow t(running);
    auto& d = t.rig.desktop;
    EXPECT_EQ(t.rows(), Rows{});
    t.type("com.apple.Notes", "руддщ");
    EXPECT_TRUE(d.clickButton(t.id, "Добавить"));
    EXPECT_TRUE(d.clickButton(t.id, "Удалить выбранное"));
    d.drainMainQueue();
    const auto alert = d.currentAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->messageText, "Исключение не добавлено");
    EXPECT_EQ(alert->informativeText, "Исключения сейчас недоступны: перезапустите Vyx");
    EXPECT_EQ(t.field(t.window(), 2).text, "руддщ");
  }
}

TEST(ExceptionsWindow, TheWordListIsCreatedWhenMissingAndOpenedInTextEdit) {
  ShellRig rig;
  rig.ensureApp();
  auto& d = rig.desktop;
  const std::string path = rig.file("custom_dict.txt");
  EXPECT_TRUE(d.clickStatusMenuItem({"Открыть свой словарь"}));
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str().rfind("# ", 0), 0U) << text.str();
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600U);
  EXPECT_EQ(d.launches(), (std::vector<std::vector<std::string>>{{"-a", "TextEdit", path}}));

  d.failLaunches("open: no such file");
  EXPECT_TRUE(d.clickStatusMenuItem({"Открыть свой словарь"}));
  d.drainMainQueue();
  const auto alert = d.currentAlert();
  ASSERT_TRUE(alert);
  EXPECT_EQ(alert->messageText, "Не удалось открыть словарь");
  EXPECT_EQ(alert->informativeText, "open: no such file");
}

}  // namespace
}  // namespace vyx::testing
