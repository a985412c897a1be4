// Windows and their views as a person uses them and as tests read them back.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "os/controls.h"
#include "os/sim/desktop.h"
#include "os/views.h"
#include "os/window.h"

namespace vyx::os::sim {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// A list window in the way the program builds its exceptions window: the
// delegate is the table's data source and the buttons' target.
class ListWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    delegate_.numberOfRows = [this] { return static_cast<int64_t>(rows_.size()); };
    delegate_.objectValue = [this](std::string_view column, int64_t row) {
      const auto& r = rows_.at(static_cast<size_t>(row));
      return column == "app" ? r.first : r.second;
    };
    delegate_.actions["add:"] = [this] {
      rows_.emplace_back(textFieldStringValue(appField_), textFieldStringValue(wordField_));
      textFieldSetStringValue(wordField_, "");
      tableViewReloadData(table_);
    };
    delegate_.actions["remove:"] = [this] {
      const int64_t row = tableViewSelectedRow(table_);
      if (row < 0) return;
      rows_.erase(rows_.begin() + row);
      tableViewReloadData(table_);
    };
    desktop_.onMain([&] {
      window_ = windowCreate({0, 0, 560, 380}, 11, kBackingStoreBuffered, false);
      windowSetTitle(window_, "Исключения Vyx");
      windowSetReleasedWhenClosed(window_, false);
      windowCenter(window_);
      View* content = windowContentView(window_);
      View* scroll = scrollViewCreate({20, 80, 520, 280});
      scrollViewSetHasVerticalScroller(scroll, true);
      table_ = tableViewCreate(viewBounds(scroll));
      tableViewAddColumn(table_, "app", "Программа", 280);
      tableViewAddColumn(table_, "word", "Слово", 220);
      tableViewSetDataSource(table_, &delegate_);
      scrollViewSetDocumentView(scroll, table_);
      appField_ = field({20, 44, 260, 24}, "Программа");
      wordField_ = field({290, 44, 150, 24}, "слово");
      for (View* v : {scroll, appField_, wordField_, button({450, 42, 90, 28}, "Добавить", "add:"),
                      button({20, 8, 180, 28}, "Удалить выбранное", "remove:")}) {
        viewAddSubview(content, v);
      }
      tableViewReloadData(table_);
    });
  }

  static View* field(Rect frame, const char* placeholder) {
    View* f = textFieldCreate(frame);
    textFieldSetPlaceholderString(f, placeholder);
    return f;
  }
  View* button(Rect frame, const char* title, const char* action) {
    View* b = buttonCreate(frame);
    buttonSetTitle(b, title);
    buttonSetTarget(b, &delegate_);
    buttonSetAction(b, action);
    return b;
  }
  void show() {
    desktop_.onMain([&] { windowMakeKeyAndOrderFront(window_); });
  }
  ViewSnapshot content() { return desktop_.window(0)->content; }
  Rows tableRows() { return content().children.at(0).children.at(0).rows; }

  Desktop desktop_;
  Target delegate_;
  std::vector<std::pair<std::string, std::string>> rows_;
  Window* window_ = nullptr;
  View* table_ = nullptr;
  View* appField_ = nullptr;
  View* wordField_ = nullptr;
};

TEST_F(ListWindow, IsBuiltHiddenCentredAndReadsBackAsBuilt) {
  auto w = desktop_.window(0);
  ASSERT_TRUE(w.has_value());
  EXPECT_FALSE(w->visible);
  EXPECT_EQ(w->title, "Исключения Vyx");
  EXPECT_EQ(w->frame, (Rect{440, 260, 560, 380}));  // on the 1440 × 900 screen
  EXPECT_EQ(w->styleMask, 11U);
  EXPECT_EQ(w->backing, kBackingStoreBuffered);
  EXPECT_FALSE(w->deferred);
  EXPECT_FALSE(w->releasedWhenClosed);
  EXPECT_EQ(w->content.frame, (Rect{0, 0, 560, 380}));
  const auto& views = w->content.children;
  ASSERT_EQ(views.size(), 5U);
  const std::vector<std::pair<ViewKind, std::string>> expected = {
      {ViewKind::scrollView, ""},
      {ViewKind::textField, "Программа"},
      {ViewKind::textField, "слово"},
      {ViewKind::button, "Добавить"},
      {ViewKind::button, "Удалить выбранное"}};
  for (size_t i = 0; i < views.size(); ++i) {
    EXPECT_EQ(views[i].kind, expected[i].first) << i;
    EXPECT_EQ(views[i].kind == ViewKind::button ? views[i].text : views[i].placeholder,
              expected[i].second);
  }
  EXPECT_TRUE(views[1].editable && views[1].bezeled && views[1].drawsBackground);
  EXPECT_EQ(views[3].action, "add:");
  EXPECT_TRUE(views[3].hasTarget);
  const auto& table = views[0].children.at(0);
  EXPECT_TRUE(views[0].hasVerticalScroller);
  EXPECT_EQ(table.kind, ViewKind::table);
  EXPECT_EQ(table.frame, (Rect{0, 0, 520, 280}));
  EXPECT_TRUE(table.hasDataSource);
  EXPECT_EQ(table.columns, (Rows{{"app", "Программа", "280"}, {"word", "Слово", "220"}}));
  // Not shown, nothing can be clicked.
  EXPECT_FALSE(desktop_.clickButton(0, "Добавить"));
  EXPECT_FALSE(desktop_.setFieldText(0, "слово", "x"));
}

TEST_F(ListWindow, FieldsButtonsAndTableWorkAsThePersonUsesThem) {
  show();
  EXPECT_TRUE(desktop_.window(0)->visible);
  EXPECT_TRUE(desktop_.window(0)->key);
  EXPECT_TRUE(content().children[1].focused);  // the first field takes the focus

  EXPECT_TRUE(desktop_.setFieldText(0, "Программа", "com.apple.TextEdit"));
  EXPECT_TRUE(desktop_.setFieldText(0, "слово", "привет"));
  EXPECT_TRUE(content().children[2].focused);
  EXPECT_FALSE(desktop_.setFieldText(0, "нет такого", "x"));
  EXPECT_TRUE(desktop_.clickButton(0, "Добавить"));
  EXPECT_TRUE(desktop_.setFieldText(0, "слово", "мир"));
  EXPECT_TRUE(desktop_.clickButton(0, "Добавить"));
  EXPECT_FALSE(desktop_.clickButton(0, "Нет такой"));
  EXPECT_EQ(tableRows(), (Rows{{"com.apple.TextEdit", "привет"}, {"com.apple.TextEdit", "мир"}}));
  EXPECT_EQ(content().children[1].text, "com.apple.TextEdit");
  EXPECT_EQ(content().children[2].text, "");

  struct Selection {
    int64_t row;
    bool accepted;
  };
  for (const auto& s :
       {Selection{2, false}, Selection{-2, false}, Selection{-1, true}, Selection{1, true}}) {
    EXPECT_EQ(desktop_.selectTableRow(0, s.row), s.accepted) << s.row;
  }
  EXPECT_TRUE(desktop_.clickButton(0, "Удалить выбранное"));
  EXPECT_EQ(tableRows(), (Rows{{"com.apple.TextEdit", "привет"}}));
  // The selection past the end went with the reload.
  EXPECT_EQ(content().children[0].children[0].selectedRow, -1);

  // The close button hides the window; shown again, it is as it was left.
  EXPECT_TRUE(desktop_.closeWindow(0));
  EXPECT_FALSE(desktop_.window(0)->visible);
  EXPECT_FALSE(desktop_.closeWindow(0));
  EXPECT_FALSE(desktop_.clickButton(0, "Добавить"));
  show();
  EXPECT_TRUE(desktop_.window(0)->key);
  EXPECT_EQ(content().children[1].text, "com.apple.TextEdit");
}

TEST(UiWindow, ReturnPressesTheDefaultButtonAndAReleasedWindowIsGone) {
  Desktop desktop;
  int presses = 0;
  Target target;
  target.actions["primaryAction:"] = [&] { ++presses; };
  Window* other = nullptr;
  desktop.onMain([&] {
    other = windowCreate({0, 0, 100, 100}, kWindowStyleMaskTitled, kBackingStoreBuffered, false);
    Window* w = windowCreate({0, 0, 480, 540}, 0x8003, kBackingStoreBuffered, false);
    View* b = buttonCreate({120, 38, 240, 38});
    EXPECT_EQ(buttonTitle(b), "Button");
    buttonSetTitle(b, "Начать");
    buttonSetTarget(b, &target);
    buttonSetAction(b, "primaryAction:");
    buttonSetKeyEquivalent(b, "\r");
    viewAddSubview(windowContentView(w), b);
    windowMakeKeyAndOrderFront(w);
    windowMakeKeyAndOrderFront(other);
  });
  EXPECT_FALSE(desktop.window(1)->key);
  EXPECT_TRUE(desktop.pressReturn(1));  // a press in it makes it key
  EXPECT_TRUE(desktop.window(1)->key);
  EXPECT_FALSE(desktop.window(0)->key);
  EXPECT_FALSE(desktop.pressReturn(0));  // no default button there
  EXPECT_FALSE(desktop.closeWindow(0));  // titled but not closable
  desktop.onMain([&] {
    EXPECT_TRUE(desktop.window(0)->visible);  // other
    windowClose(other);                       // released when closed, the default
  });
  EXPECT_EQ(presses, 1);
  EXPECT_FALSE(desktop.window(0).has_value());
  ASSERT_EQ(desktop.windows().size(), 1U);
  EXPECT_EQ(desktop.windows()[0].id, 1U);
  EXPECT_TRUE(desktop.windows()[0].key);  // the other shown window took over
}

}  // namespace
}  // namespace vyx::os::sim
